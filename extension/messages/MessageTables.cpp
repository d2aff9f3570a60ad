// Placeholder language tables: replaced by the translated tables.
#include "MessageCatalog.h"

void MessageCatalog::LoadEN() {
    Add(L"PRODUCTNAME", L"EN", L"Hintora");
    Add(L"COMMON_CLOSE", L"EN", L"Close");
}
void MessageCatalog::LoadZHCHT() {}
void MessageCatalog::LoadZHCHS() {}
void MessageCatalog::LoadTR() {}
void MessageCatalog::LoadSV() {}
void MessageCatalog::LoadRU() {}
void MessageCatalog::LoadPT() {}
void MessageCatalog::LoadPL() {}
void MessageCatalog::LoadNO() {}
void MessageCatalog::LoadNL() {}
void MessageCatalog::LoadKO() {}
void MessageCatalog::LoadJA() {}
void MessageCatalog::LoadIT() {}
void MessageCatalog::LoadHU() {}
void MessageCatalog::LoadFRCA() {}
void MessageCatalog::LoadFR() {}
void MessageCatalog::LoadFI() {}
void MessageCatalog::LoadESMX() {}
void MessageCatalog::LoadES() {}
void MessageCatalog::LoadDE() {}
void MessageCatalog::LoadDA() {}
void MessageCatalog::LoadCS() {}
