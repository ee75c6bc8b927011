// The date-time control on the headless backend: today's date at start,
// the platform date picker over the focused control, and the three ways it
// closes (focus leaves: date taken; Delete: text emptied; Escape: kept).
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/controls/UIDateTime.h"
#include "skinui/controls/UIDateTimeWnd.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace skintest;

namespace {

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><Container bkcolor=\"#FFFFFFFF\">" + body + u"</Container></Window>";
}

std::u16string dateText(int y, int m, int d)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%4d-%02d-%02d", y, m, d);
    return std::u16string(buf, buf + std::char_traits<char>::length(buf));
}

const char16_t kSkin[] = u"<DateTime name=\"d\" float=\"true\" pos=\"10,10,160,40\"/>"
                         u"<Button name=\"other\" float=\"true\" pos=\"10,100,110,130\"/>";

} // namespace

TEST(DateTime, ShowsTodayAndFormatsShortYearsWithSpaces)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kSkin)), nullptr);
    auto* d = host.find<CDateTimeUI>(u"d");
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    EXPECT_EQ(std::u16string(d->GetText().GetData()), dateText(now.wYear, now.wMonth, now.wDay));
    EXPECT_EQ(d->GetPicker(), nullptr);

    SYSTEMTIME old = now;
    old.wYear = 987;
    old.wMonth = 3;
    old.wDay = 4;
    d->SetTime(&old);
    // UpdateText with "taken from the picker" formats; other states leave it.
    d->UpdateText();
    EXPECT_EQ(std::u16string(d->GetText().GetData()), dateText(now.wYear, now.wMonth, now.wDay));
    EXPECT_EQ(dateText(987, 3, 4), u" 987-03-04");
}

TEST(DateTime, LeavingThePickerTakesTheDateDeleteEmptiesEscapeKeeps)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kSkin)), nullptr);
    auto* d = host.find<CDateTimeUI>(u"d");
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 27;
    d->SetTime(&st);
    d->SetText(u"2024-02-27");

    // Focus opens the picker over the control; Up moves the day on.
    host.click(50, 25);
    ASSERT_NE(d->GetPicker(), nullptr);
    RECT rc{};
    ::GetWindowRect(d->GetPicker()->GetHWND(), &rc);
    EXPECT_TRUE(sameRect(rc, RECT{10, 10, 160, 40})) << rectText(rc);
    host.key(VK_UP);
    host.key(VK_UP);
    host.screenshot("skinui_datetime_picker");
    host.click(50, 115); // the focus leaves
    EXPECT_EQ(d->GetPicker(), nullptr);
    EXPECT_EQ(d->GetText(), u"2024-02-29");
    EXPECT_EQ(d->GetUpdateState(), UIDT_UPDATE);

    // Escape: nothing taken.
    host.click(50, 25);
    ASSERT_NE(d->GetPicker(), nullptr);
    host.key(VK_UP);
    host.key(VK_ESCAPE);
    EXPECT_EQ(d->GetPicker(), nullptr);
    EXPECT_EQ(d->GetText(), u"2024-02-29");
    EXPECT_EQ(d->GetUpdateState(), UIDT_KEEP);

    // Delete: the text empties; the next picker starts from today.
    host.click(50, 115);
    host.click(50, 25);
    ASSERT_NE(d->GetPicker(), nullptr);
    host.key(VK_DELETE);
    EXPECT_EQ(d->GetPicker(), nullptr);
    EXPECT_EQ(d->GetText(), u"");
    EXPECT_EQ(d->GetUpdateState(), UIDT_DELETE);

    // A disabled control opens no picker; a control destroyed with its
    // picker open closes it.
    host.click(50, 115);
    d->SetEnabled(false);
    host.click(50, 25);
    EXPECT_EQ(d->GetPicker(), nullptr);
    d->SetEnabled(true);
    host.click(50, 25);
    ASSERT_NE(d->GetPicker(), nullptr);
    auto* container = static_cast<CContainerUI*>(host.host.pm.GetRoot());
    container->SetDelayedDestroy(false);
    container->Remove(d);
    host.refresh();
}
