// Finnish texts of the message catalogue. Every language table adds
// the same 60 keys in the same order.
#include "messages/MessageCatalog.h"

void MessageCatalog::LoadFI() {
    const wchar_t* const language = L"FI";
    Add(L"PRODUCTNAME", language, L"Hintora");
    Add(L"DOV_PRODUCTNAME", language, L"Dovrane");
    Add(L"SETUP_NOTSUPPORTED_PROT", language, L"Hintora-asennusohjelma tukee vain verkkosivuja, joiden protokolla on http tai https.");
    Add(L"SETUP_SUPPORTED_BROWSERS", language, L"Hintora tukee vain Internet Exploreria. Avaa tämä sivu Internet Explorerissa.");
    Add(L"SETUP_TITLE", language, L"Hintora-asennus");
    Add(L"SETUP_INSTALLATION", language, L"Asennus");
    Add(L"SETUP_INSTALLATION_FAILED", language, L"Hintora-sovelluksen asentaminen epäonnistui.");
    Add(L"SETUP_INSTALLATION_SUCCESS", language, L"Hintora-sovellus on asennettu.");
    Add(L"SETUP_CONFIGURATION", language, L"Määritys");
    Add(L"SETUP_CONFIGURATION_FAILED", language, L"Hintora-sovelluksen määrittäminen epäonnistui.");
    Add(L"SETUP_CONFIGURATION_SUCCESS", language, L"Hintora-sovellus on määritetty.");
    Add(L"SETUP_DATA", language, L"Määritystiedot");
    Add(L"SETUP_WAIT", language, L"Odota, asennus on käynnissä.");
    Add(L"SETUP_REMOVE", language, L"Poista");
    Add(L"SETUP_REMOVE_THEN_UPGRADE", language, L"Hintora-sovelluksen asennettu versio on poistettava ennen päivittämistä.");
    Add(L"SETUP_REMOVE_BEFORE_DOWNGRADE", language, L"Hintora-sovelluksesta on asennettu uudempi versio. Poista se ennen vanhemman version asentamista.");
    Add(L"SETUP_DETECT", language, L"Etsitään Hintora-sovelluksen asennettua versiota...");
    Add(L"SETUP_ERROR_COMP", language, L"Hintora-sovelluksen tarvittava osa puuttuu, tai sitä ei voitu rekisteröidä.");
    Add(L"SETUP_RESTART", language, L"Viimeistele asennus käynnistämällä selain uudelleen.");
    Add(L"SETUP_BUTTONVISIBLITYWARNING", language, L"Jos Hintora-painike ei ole näkyvissä, lisää se selaimen työkaluriville.");
    Add(L"SETUP_POPUPBLOCKER", language, L"Salli ponnahdusikkunat tälle sivustolle ennen kuin jatkat.");
    Add(L"DIAGNOSTICMODE", language, L"Vianmääritystila");
    Add(L"POPUPBLOCKER_MESSAGE", language, L"Ponnahdusikkunoiden esto esti Hintora-sovellusta avaamasta ikkunaa. Salli ponnahdusikkunat tälle sivustolle.");
    Add(L"GATEWAY_WAIT", language, L"Odota...");
    Add(L"GATEWAY_LOAD", language, L"Ladataan...");
    Add(L"HINTORA_NO_BHO", language, L"Hintora Helper -apuohjelma ei ole käytettävissä, tai se on poistettu käytöstä.");
    Add(L"COMMON_CLOSE", language, L"Sulje");
    Add(L"COMMON_CANCEL", language, L"Peruuta");
    Add(L"COMMON_OK", language, L"OK");
    Add(L"COMMON_APPLY", language, L"Käytä");
    Add(L"COMMON_CTRL", language, L"Ctrl");
    Add(L"COMMON_ALT", language, L"Alt");
    Add(L"COMMON_SHIFT", language, L"Vaihto");
    Add(L"COMMON_ERROR_OCCURED", language, L"Tapahtui odottamaton virhe.");
    Add(L"COMMON_ERROR_CODE", language, L"Virhekoodi:");
    Add(L"COMMON_CONTACT", language, L"Jos ongelma toistuu, ota yhteys järjestelmänvalvojaan.");
    Add(L"HINTORA_OPTIONS_TITLE", language, L"Asetukset");
    Add(L"HINTORA_OPTIONS_TAB_LABEL", language, L"Hintora-asetukset");
    Add(L"HINTORA_OPTIONS_HOTKEY_LABEL", language, L"Pikanäppäimen asetukset");
    Add(L"HINTORA_OPTIONS_KEY_LABEL", language, L"Määritä pikanäppäin, joka käynnistää Hintora-sovelluksen");
    Add(L"HINTORA_OPTIONS_KEY_RESTART", language, L"Käynnistä selain uudelleen, jotta muutokset tulevat voimaan.");
    Add(L"HINTORA_OPTIONS_HOTKEY_WARNING", language, L"Valitse näppäinyhdistelmä huolellisesti, jotta se ei ole ristiriidassa selaimen tai käyttämäsi sovelluksen kanssa.");
    Add(L"HINTORA_MESSAGES_NO_CONTENT", language, L"Tälle sovellukselle ei ole saatavilla sisältöä.");
    Add(L"HINTORA_MESSAGES_TITLE", language, L"Hintora");
    Add(L"HINTORA_MESSAGES_NOTSUPPORTED_PROTOCOL", language, L"Hintora-sovellus on määritetty käyttämään protokollaa, jota ei tueta, tai virheellistä URL-osoitetta.");
    Add(L"HINTORA_MESSAGES_RUN_CONFIGURATION", language, L"Määritä Hintora-sovelluksen asetukset uudelleen ja yritä sitten uudestaan.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PROTOCOL", language, L"Hintora tukee vain verkkosivuja, joiden protokolla on http tai https.");
    Add(L"HINTORA_MESSAGES_NOT_SUPPORTED_PAGE_PLAYER", language, L"Hintora ei tue tätä verkkosivua.");
    Add(L"HINTORA_MESSAGES_WAIT", language, L"Odota, Hintora käsittelee edellistä pyyntöäsi.");
    Add(L"HINTORA_MENUITEM_OPTIONS", language, L"Hintora-&asetukset...");
    Add(L"HINTORA_MENUITEM_PREFERENCES", language, L"Dovrane-&määritykset...");
    Add(L"HINTORA_CONTEXTMENUITEM_SEARCH", language, L"&Hae Hintora-sovelluksella");
    Add(L"SETUP_GET", language, L"Hanki Hintora");
    Add(L"SETUP_UPGRADE", language, L"Päivitä");
    Add(L"SETUP_INSTALL", language, L"Asenna");
    Add(L"SETUP_UPGRADE_TEXT", language, L"Hintora-sovelluksesta on saatavilla uudempi versio. Asenna se valitsemalla Päivitä.");
    Add(L"SETUP_DETECTED", language, L"Hintora-sovellus on asennettu tähän tietokoneeseen.");
    Add(L"SETUP_CURRENTVERSION", language, L"Nykyinen versio");
    Add(L"SETUP_INSTALLEDVERSION", language, L"Asennettu versio");
    Add(L"SETUP_UPTODATE", language, L"Hintora-sovellus on ajan tasalla.");
}
