#pragma once
// A skinned test window whose skin is a zip registered as the program's
// "ZIPRES" resource 100: a caption band with a label and a button.

#include "tests/skinui/SkinTestSupport.h"
#include "skinui/WindowImplBase.h"
#include "tests/skinui/ZipBuilder.h"

namespace skintest {

class NamedClass : public CControlUI
{
public:
    explicit NamedClass(const char16_t* cls) : m_cls(cls) {}
    const char16_t* GetClass() const override { return m_cls; }

private:
    const char16_t* m_cls;
};

class SkinCallback : public IDialogBuilderCallback
{
public:
    CControlUI* CreateControl(const char16_t* cls) override
    {
        if (wcscmp(cls, u"Container") == 0)
            return new TestContainer;
        if (wcscmp(cls, u"Button") == 0)
            return new NamedClass(u"ButtonUI");
        if (wcscmp(cls, u"Label") == 0)
            return new NamedClass(u"LabelUI");
        return nullptr;
    }
};

inline constexpr char kSkin[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<Window size=\"500,300\" caption=\"0,0,0,50\" roundcorner=\"5,5\" sizebox=\"4,4,4,4\">"
    "<Container bkcolor=\"#FF3060A0\">"
    "<Label name=\"title\" float=\"true\" pos=\"10,10,300,40\"/>"
    "<Button name=\"btnOK\" float=\"true\" pos=\"320,10,400,40\"/>"
    "</Container></Window>";

class SkinWindow : public WindowImplBase
{
public:
    int inits = 0;
    std::vector<std::u16string> clicks;
    std::u16string file = u"main.xml";
    UILIB_RESOURCETYPE source = UILIB_ZIPRESOURCE;
    int resourceId = 100;

protected:
    const char16_t* GetWindowClassName() const override { return u"SkinTestWindow"; }
    CUIString GetSkinFile() override { return file.c_str(); }
    CUIString GetSkinFolder() override { return u""; }
    UILIB_RESOURCETYPE GetSkinSource() override { return source; }
    int GetSkinResourceId() override { return resourceId; }
    void InitWindow() override { ++inits; }
    void OnClick(UINotifyMsg& msg) override { clicks.emplace_back(msg.pSender->GetName().GetData()); }
    CControlUI* CreateControl(const char16_t* cls) override { return callback.CreateControl(cls); }
    void OnFinalMessage(HWND hWnd) override { WindowImplBase::OnFinalMessage(hWnd); }

    SkinCallback callback;
};

inline void registerSkinZip()
{
    static const std::string zip = ziptest::build({{"main.xml", kSkin}});
    static bool done = false;
    if (!done) {
        winapi::registerResource(u"ZIPRES", u"#100", reinterpret_cast<const unsigned char*>(zip.data()), zip.size());
        done = true;
    }
}

} // namespace skintest
