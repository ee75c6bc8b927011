#pragma once
// What the fuzz targets feed their input to; the corpus replay test runs the
// same functions over every kept input.

#include "skinui/UIDlgBuilder.h"
#include "skinui/UIMarkup.h"
#include "skinui/UIZip.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace skinfuzz {

// The markup parser: as UTF-8, as UTF-16 with the byte-order mark the input
// may carry, and as raw UTF-16 text; every node and attribute is walked.
inline void markup(const uint8_t* data, size_t size)
{
    auto walk = [](CUIMarkup& xml) {
        int budget = 100000;
        std::vector<CUIMarkupNode> stack;
        CUIMarkupNode root = xml.GetRoot();
        if (root.IsValid())
            stack.push_back(root);
        while (!stack.empty() && budget-- > 0) {
            CUIMarkupNode n = stack.back();
            stack.pop_back();
            volatile const char16_t* name = n.GetName();
            (void)name;
            const int count = n.GetAttributeCount();
            for (int i = -1; i <= count; ++i) {
                volatile const char16_t* a = n.GetAttributeName(i);
                volatile const char16_t* v = n.GetAttributeValue(i);
                (void)a;
                (void)v;
            }
            char16_t buf[8];
            n.GetAttributeValue(u"name", buf, 7);
            CUIMarkupNode s = n.GetSibling();
            if (s.IsValid())
                stack.push_back(s);
            CUIMarkupNode c = n.GetChild();
            if (c.IsValid())
                stack.push_back(c);
        }
    };
    CUIMarkup xml;
    if (xml.LoadFromMemory(data, size, XMLFILE_ENCODING_UTF8))
        walk(xml);
    if (xml.LoadFromMemory(data, size, XMLFILE_ENCODING_UNICODE))
        walk(xml);
    std::vector<char16_t> wide(size / 2 + 1, 0);
    if (size >= 2)
        std::memcpy(wide.data(), data, (size / 2) * 2);
    if (xml.Load(wide.data()))
        walk(xml);
}

// The zip reader over an archive in memory: every member described and
// extracted into a buffer of its stated size (capped), in pieces.
inline void zip(const uint8_t* data, size_t size)
{
    HZIP hz = UIZipOpen(const_cast<uint8_t*>(data), static_cast<unsigned>(size), ZIP_MEMORY);
    if (!hz)
        return;
    UIZipEntry all;
    if (UIZipGetItem(hz, -1, &all) == ZR_OK) {
        const int n = all.index < 64 ? all.index : 64;
        for (int i = 0; i < n; ++i) {
            UIZipEntry ze;
            if (UIZipGetItem(hz, i, &ze) != ZR_OK)
                continue;
            int found = -1;
            UIZipFindItem(hz, ze.name, true, &found, nullptr);
            const long want = ze.unc_size > 0 && ze.unc_size < (1 << 20) ? ze.unc_size : 4096;
            std::vector<uint8_t> out(static_cast<size_t>(want));
            int guard = 0;
            while (UIZipUnzipItem(hz, i, out.data(), static_cast<unsigned>(out.size()), ZIP_MEMORY) == ZR_MORE &&
                   ++guard < 1024) {
            }
        }
    }
    UIZipClose(hz);
}

// The dialog builder: the input as a UTF-8 skin, built into controls of
// every class without a window, laid out at two sizes and destroyed.
inline void skin(const uint8_t* data, size_t size)
{
    CDialogBuilder builder;
    if (!builder.GetMarkup()->LoadFromMemory(data, size))
        return;
    CControlUI* root = builder.Create(nullptr, nullptr, nullptr);
    if (!root)
        return;
    root->SetPos(RECT{0, 0, 400, 300});
    root->SetPos(RECT{0, 0, 37, 5000});
    delete root;
}

} // namespace skinfuzz
