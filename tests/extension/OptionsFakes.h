#pragma once
// A browser control stand-in for the options dialog: it records the sizing
// and closing calls the dialog makes.
#include <gmock/gmock.h>
#include <windows.h>
#include <exdisp.h>

#include "NotImplComBases.h"

class FakeBrowserControl : public NotImplIWebBrowser2 {
public:
    MOCK_METHOD(HRESULT, Stop, (), (Calltype(STDMETHODCALLTYPE), override));
    MOCK_METHOD(HRESULT, Quit, (), (Calltype(STDMETHODCALLTYPE), override));
    MOCK_METHOD(HRESULT, put_Width, (LONG width), (Calltype(STDMETHODCALLTYPE), override));
    MOCK_METHOD(HRESULT, put_Height, (LONG height), (Calltype(STDMETHODCALLTYPE), override));

    // The frame the control would add around a client area of that size.
    int frameWidth = 0;
    int frameHeight = 0;
    HRESULT STDMETHODCALLTYPE ClientToWindow(int* width, int* height) override {
        *width += frameWidth;
        *height += frameHeight;
        return S_OK;
    }
};
