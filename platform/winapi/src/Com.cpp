// COM without an object registry, and the absent input method manager:
// callers get the documented failure codes and null objects.
#include <cstdlib>
#include <cstring>
#include <cstdio>

#include "platform/winapi/src/TextConv.h"
#include "winapi/ole.h"
#include "winapi/winbase.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

HRESULT CoInitializeEx(LPVOID, DWORD) { return S_OK; }
HRESULT CoInitialize(LPVOID) { return S_OK; }
void CoUninitialize() {}

HRESULT CoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

namespace {
int hexDigit(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool parseGuid(LPCWSTR text, GUID* out)
{
    // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
    static const char* pattern = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (!text || winapi::length16(text) != 38)
        return false;
    uint8_t bytes[16];
    int nibble = 0;
    for (int i = 0; i < 38; ++i) {
        if (pattern[i] != 'x') {
            if (text[i] != char16_t(pattern[i]))
                return false;
            continue;
        }
        int d = hexDigit(text[i]);
        if (d < 0)
            return false;
        if (nibble % 2 == 0)
            bytes[nibble / 2] = uint8_t(d << 4);
        else
            bytes[nibble / 2] |= uint8_t(d);
        ++nibble;
    }
    out->Data1 = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
    out->Data2 = uint16_t((bytes[4] << 8) | bytes[5]);
    out->Data3 = uint16_t((bytes[6] << 8) | bytes[7]);
    std::memcpy(out->Data4, bytes + 8, 8);
    return true;
}
}  // namespace

HRESULT CLSIDFromString(LPCWSTR text, LPCLSID clsid)
{
    if (!clsid)
        return E_INVALIDARG;
    GUID g{};
    if (!parseGuid(text, &g)) {
        *clsid = GUID{};
        return CO_E_CLASSSTRING;
    }
    *clsid = g;
    return S_OK;
}

HRESULT IIDFromString(LPCWSTR text, IID* iid)
{
    HRESULT hr = CLSIDFromString(text, iid);
    return hr == CO_E_CLASSSTRING ? E_INVALIDARG : hr;
}

int StringFromGUID2(REFGUID g, LPWSTR buffer, int size)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                  unsigned(g.Data2), unsigned(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    if (!buffer || size < 39)
        return 0;
    for (int i = 0; i < 39; ++i)
        buffer[i] = char16_t(text[i]);
    return 39;
}

HRESULT CLSIDFromProgID(LPCWSTR, LPCLSID clsid)
{
    if (clsid)
        *clsid = GUID{};
    return CO_E_CLASSSTRING;
}

LPVOID CoTaskMemAlloc(SIZE_T size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(LPVOID p) { std::free(p); }

// A BSTR is preceded by its length in bytes (32 bits) and ends with a zero.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (size_t(length) + 1) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    block[0] = length * sizeof(OLECHAR);
    BSTR s = reinterpret_cast<BSTR>(block + 1);
    if (text)
        std::memcpy(s, text, length * sizeof(OLECHAR));
    else
        std::memset(s, 0, length * sizeof(OLECHAR));
    s[length] = 0;
    return s;
}

BSTR SysAllocString(const OLECHAR* text)
{
    return text ? SysAllocStringLen(text, UINT(winapi::length16(text))) : nullptr;
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<uint32_t*>(text) - 1);
}

UINT SysStringLen(BSTR text) { return text ? reinterpret_cast<uint32_t*>(text)[-1] / sizeof(OLECHAR) : 0; }

HIMC ImmGetContext(HWND) { return nullptr; }
BOOL ImmReleaseContext(HWND, HIMC imc) { return imc != nullptr; }
BOOL ImmSetCompositionWindow(HIMC, LPCOMPOSITIONFORM) { return FALSE; }
LONG ImmGetCompositionStringW(HIMC, DWORD, LPVOID, DWORD) { return 0; }
