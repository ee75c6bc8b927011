// The render engine's tag markup text: colours, fonts, links, inline images,
// paragraphs, raw and selected text, laid out line by line (a measuring pass
// finds each line's height and links, a drawing pass writes it).
#include "skinui/UIRender.h"

#include <cwctype>
#include <vector>

namespace {

COLORREF gdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool isTagLetter(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

bool isOpen(char16_t c)
{
    return c == u'<' || c == u'{';
}

bool isClose(char16_t c)
{
    return c == u'>' || c == u'}';
}

// A word ends at a blank or any character that is not a Latin letter.
bool endsWord(char16_t c)
{
    return !((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'));
}

struct HtmlState
{
    std::vector<TFontInfo*> fonts;
    std::vector<DWORD> colours;
    std::vector<int> spacing;
    std::vector<bool> linkFontPushed;
    bool raw = false;
    bool selected = false;
    bool inLink = false;
    CUIString linkText;
    int fixedLineHeight = 0;
};

struct Layout
{
    HDC hDC;
    CUIWindowManager* pm;
    RECT rc;
    UINT style;
    bool draw;
    RECT* links;
    CUIString* linkTexts;
    int linkCap;
    int linkCount = 0;
    CUIString hoverLink;
    bool hasHover = false;
    int imageBottom = 0;

    TFontInfo* font(HtmlState& s) const { return s.fonts.back(); }

    TFontInfo* variant(TFontInfo* base, bool bold, bool underline, bool italic)
    {
        HFONT h = pm->GetFont(base->sFontName, base->iSize, bold, underline, italic);
        if (!h)
            h = pm->AddFont(base->sFontName, base->iSize, bold, underline, italic);
        return h ? pm->GetFontInfo(h) : base;
    }

    int lineHeightOf(TFontInfo* f) const { return f->tm.tmHeight + f->tm.tmExternalLeading; }

    void select(HtmlState& s)
    {
        ::SelectObject(hDC, font(s)->hFont);
        ::SetTextColor(hDC, gdiColour(s.colours.back()));
    }
};

// Reads the argument of a tag starting at p (behind the tag letter) up to
// the closing '>' or '}'; null when the tag is not closed.
const char16_t* tagEnd(const char16_t* p)
{
    while (*p && !isClose(*p))
        ++p;
    return *p ? p : nullptr;
}

struct LineResult
{
    const char16_t* next; // where the next line starts
    int width;
    int height;
    bool stop; // the text (or, single line, the line) is done
};

// Lays out or draws one line from p. In the drawing pass 'limit' is where the
// measuring pass ended the line and 'cyLine' its height.
LineResult processLine(Layout& L, HtmlState& s, const char16_t* p, int lineTop, bool drawPass,
                       const char16_t* limit, int cyLine, int firstLink)
{
    const bool singleLine = (L.style & DT_SINGLELINE) != 0;
    int x = L.rc.left;
    int cy = s.fixedLineHeight > 0 ? s.fixedLineHeight
                                   : L.lineHeightOf(L.font(s)) + (s.spacing.empty() ? 0 : s.spacing.back());
    int linkIndex = firstLink;
    int linkStartX = x;
    if (s.inLink)
        linkStartX = x;
    L.select(s);
    auto atLineStart = [&]() { return x == L.rc.left; };
    auto closeLinkRect = [&]() {
        if (!drawPass && s.inLink && L.linkCount < L.linkCap && L.links) {
            L.links[L.linkCount] = RECT{linkStartX, lineTop, x, lineTop};
            L.linkTexts[L.linkCount] = s.linkText;
            L.linkCount++;
        }
        linkIndex++;
    };
    auto textColourNow = [&]() { return s.colours.back(); };
    auto drawRun = [&](const char16_t* text, int n, int width, bool ellipsis) {
        if (!drawPass || n < 0)
            return;
        TFontInfo* f = L.font(s);
        int dx = 0;
        if (!singleLine && (L.style & DT_CENTER))
            dx = (L.rc.right - L.rc.left - width) / 2;
        else if (!singleLine && (L.style & DT_RIGHT))
            dx = L.rc.right - L.rc.left - width;
        const int y = lineTop + cyLine - f->tm.tmHeight - f->tm.tmExternalLeading;
        ::SetTextColor(L.hDC, gdiColour(textColourNow()));
        if (s.selected) {
            ::SetBkMode(L.hDC, OPAQUE);
            ::SetBkColor(L.hDC, gdiColour(L.pm->GetDefaultSelectedBkColor()));
        }
        ::TextOutW(L.hDC, x + dx, y, text, n);
        if (ellipsis) {
            SIZE sz{};
            ::GetTextExtentPoint32W(L.hDC, text, n, &sz);
            ::TextOutW(L.hDC, x + dx + sz.cx, y, u"...", 3);
        }
        if (s.selected)
            ::SetBkMode(L.hDC, TRANSPARENT);
    };

    const char16_t* q = p;
    while (*q && (!drawPass || q < limit)) {
        const char16_t c = *q;
        // Escapes: "<{>" writes '{', "{<}" writes '<' (and the other pair).
        bool escape = false;
        char16_t escaped = 0;
        if (!s.raw && c == u'<' && (q[1] == u'{' || q[1] == u'}') && q[1] && q[2] == u'>') {
            escape = true;
            escaped = q[1];
        } else if (!s.raw && c == u'{' && (q[1] == u'<' || q[1] == u'>') && q[1] && q[2] == u'}') {
            escape = true;
            escaped = q[1];
        }
        if (c == u'\n') {
            if (!drawPass)
                cy = cy > 0 ? cy : L.lineHeightOf(L.font(s));
            if (s.inLink)
                closeLinkRect();
            return {q + 1, x - L.rc.left, cy, singleLine};
        }
        if (c == u'\r') {
            ++q;
            continue;
        }
        // Closing tags.
        if (!escape && isOpen(c) && q[1] == u'/' && isTagLetter(q[2]) && isClose(q[3]) &&
            (!s.raw || q[2] == u'r')) {
            const char16_t tag = q[2];
            q += 4;
            switch (tag) {
            case u'a':
                if (s.inLink) {
                    closeLinkRect();
                    s.inLink = false;
                    if (s.colours.size() > 1)
                        s.colours.pop_back();
                    if (!s.linkFontPushed.empty()) {
                        if (s.linkFontPushed.back() && s.fonts.size() > 1)
                            s.fonts.pop_back();
                        s.linkFontPushed.pop_back();
                    }
                }
                break;
            case u'b':
            case u'f':
            case u'i':
            case u'u':
                if (s.fonts.size() > 1)
                    s.fonts.pop_back();
                break;
            case u'c':
                if (s.colours.size() > 1)
                    s.colours.pop_back();
                break;
            case u'p':
                if (!s.spacing.empty())
                    s.spacing.pop_back();
                if (!atLineStart()) {
                    if (s.inLink)
                        closeLinkRect();
                    return {q, x - L.rc.left, cy, singleLine};
                }
                break;
            case u's':
                s.selected = !s.selected;
                break;
            case u'r':
                s.raw = false;
                break;
            default:
                break;
            }
            L.select(s);
            continue;
        }
        // Opening tags.
        if (!escape && !s.raw && isOpen(c) && isTagLetter(q[1]) && (q[2] == u' ' || isClose(q[2]))) {
            const char16_t* end = tagEnd(q + 2);
            if (end) {
                const char16_t tag = q[1];
                const char16_t* arg = q[2] == u' ' ? q + 3 : q + 2;
                CUIString sArg(arg, static_cast<int>(end - arg));
                const char16_t* next = end + 1;
                switch (tag) {
                case u'a': {
                    const char16_t* t = sArg;
                    while (*t == u' ')
                        ++t;
                    s.inLink = true;
                    s.linkText = t;
                    linkStartX = x;
                    const bool hover = L.hasHover && L.hoverLink == s.linkText;
                    s.colours.push_back(hover ? L.pm->GetDefaultLinkHoverFontColor() : L.pm->GetDefaultLinkFontColor());
                    TFontInfo* f = L.font(s);
                    if (!f->bUnderline) {
                        s.fonts.push_back(L.variant(f, f->bBold, true, f->bItalic));
                        s.linkFontPushed.push_back(true);
                    } else {
                        s.linkFontPushed.push_back(false);
                    }
                    break;
                }
                case u'b': {
                    TFontInfo* f = L.font(s);
                    s.fonts.push_back(f->bBold ? f : L.variant(f, true, f->bUnderline, f->bItalic));
                    break;
                }
                case u'c': {
                    const char16_t* v = sArg;
                    while (*v == u' ')
                        ++v;
                    if (*v == u'#')
                        ++v;
                    const long clr = wcstol16(v, nullptr, 16);
                    s.colours.push_back(static_cast<DWORD>(clr > 0x7FFFFFFFL ? 0x7FFFFFFFL : clr));
                    break;
                }
                case u'f': {
                    const char16_t* v = sArg;
                    while (*v == u' ')
                        ++v;
                    if (*v >= u'0' && *v <= u'9') {
                        s.fonts.push_back(L.pm->GetFontInfo(_wtoi(v)));
                    } else {
                        CUIString face;
                        while (*v && *v != u' ')
                            face += *v++;
                        while (*v == u' ')
                            ++v;
                        int size = 10;
                        if (*v >= u'0' && *v <= u'9')
                            size = static_cast<int>(wcstol16(v, nullptr, 10));
                        CUIString rest = v;
                        rest.MakeLower();
                        const bool bold = rest.Find(u"bold") >= 0;
                        const bool underline = rest.Find(u"underline") >= 0;
                        const bool italic = rest.Find(u"italic") >= 0;
                        HFONT h = L.pm->GetFont(face, size, bold, underline, italic);
                        if (!h)
                            h = L.pm->AddFont(face, size, bold, underline, italic);
                        s.fonts.push_back(h ? L.pm->GetFontInfo(h) : L.font(s));
                    }
                    break;
                }
                case u'i': {
                    const char16_t* v = sArg;
                    while (*v == u' ')
                        ++v;
                    if (!*v) {
                        TFontInfo* f = L.font(s);
                        s.fonts.push_back(L.variant(f, f->bBold, f->bUnderline, true));
                        break;
                    }
                    // Inline image: a name, or file/res/restype pairs.
                    CUIString name, resType;
                    const char16_t* after = v;
                    if (wcsstr(v, u"file='") || wcsstr(v, u"res='")) {
                        const char16_t* t = v;
                        while (*t) {
                            while (*t == u' ')
                                ++t;
                            CUIString key, val;
                            while (*t && *t != u'=' && *t != u' ')
                                key += *t++;
                            if (*t != u'=' || t[1] != u'\'')
                                break;
                            t += 2;
                            while (*t && *t != u'\'')
                                val += *t++;
                            if (*t != u'\'')
                                break;
                            ++t;
                            if (key == u"file" || key == u"res")
                                name = val;
                            else if (key == u"restype")
                                resType = val;
                            after = t;
                        }
                    } else {
                        while (*after && *after != u' ')
                            name += *after++;
                    }
                    char16_t* np = const_cast<char16_t*>(after);
                    long count = wcstol16(np, &np, 10);
                    long index = wcstol16(np, &np, 10);
                    if (count < 1)
                        count = 1;
                    if (index < 0 || index >= count)
                        index = 0;
                    const UIImageInfo* img = L.pm->GetOrLoadImage(name, resType.IsEmpty() ? nullptr : resType.GetData());
                    if (img) {
                        const int w = img->nX / static_cast<int>(count);
                        const int h = img->nY;
                        if (!singleLine && !atLineStart() && x + w > L.rc.right) {
                            if (s.inLink)
                                closeLinkRect();
                            return {q, x - L.rc.left, cy, false}; // the image starts the next line
                        }
                        if (!drawPass) {
                            if (h > cy)
                                cy = h;
                            if (lineTop + h > L.imageBottom)
                                L.imageBottom = lineTop + h;
                        } else {
                            RECT dest = {x, lineTop + (cyLine - h) / 2, x + w, lineTop + (cyLine - h) / 2 + h};
                            RECT part = {w * static_cast<int>(index), 0, w * static_cast<int>(index + 1), h};
                            RECT corners = {0, 0, 0, 0};
                            CUIRenderEngine::DrawImage(L.hDC, img->hBitmap, dest, L.rc, part, corners, true, 255);
                        }
                        x += w;
                    }
                    break;
                }
                case u'n':
                    if (!singleLine) {
                        if (s.inLink)
                            closeLinkRect();
                        return {next, x - L.rc.left, cy, false};
                    }
                    break;
                case u'p':
                    if (!atLineStart()) {
                        if (s.inLink)
                            closeLinkRect();
                        return {q, x - L.rc.left, cy, singleLine};
                    }
                    s.spacing.push_back(_wtoi(sArg));
                    if (!drawPass)
                        cy += s.spacing.back();
                    break;
                case u'r':
                    s.raw = true;
                    break;
                case u's':
                    s.selected = !s.selected;
                    break;
                case u'u': {
                    TFontInfo* f = L.font(s);
                    s.fonts.push_back(L.variant(f, f->bBold, true, f->bItalic));
                    break;
                }
                case u'x':
                    x += _wtoi(sArg);
                    break;
                case u'y':
                    s.fixedLineHeight = _wtoi(sArg);
                    if (!drawPass)
                        cy = s.fixedLineHeight;
                    break;
                default:
                    break;
                }
                L.select(s);
                if (!drawPass && s.fixedLineHeight == 0) {
                    const int fh = L.lineHeightOf(L.font(s)) + (s.spacing.empty() ? 0 : s.spacing.back());
                    if (fh > cy)
                        cy = fh;
                }
                q = next;
                continue;
            }
        }
        // A run of text up to the next tag, line feed or the end.
        const char16_t* runStart = q;
        std::vector<char16_t> run;
        if (escape) {
            run.push_back(escaped);
            q += 3;
        } else {
            while (*q && *q != u'\n' && (!drawPass || q < limit)) {
                if (!s.raw && isOpen(*q) && (isTagLetter(q[1]) || q[1] == u'/' || q[1] == u'{' || q[1] == u'}' ||
                                             q[1] == u'<' || q[1] == u'>') && q != runStart)
                    break;
                if (s.raw && isOpen(*q) && q[1] == u'/' && q[2] == u'r' && isClose(q[3]))
                    break;
                if (*q == u'\r') {
                    ++q;
                    continue;
                }
                run.push_back(*q++);
                if (!s.raw && isOpen(run.back()) && run.size() == 1 && q - runStart == 1)
                    break; // a lone bracket that is no tag
            }
        }
        const int n = static_cast<int>(run.size());
        if (n == 0)
            continue;
        SIZE sz{};
        ::GetTextExtentPoint32W(L.hDC, run.data(), n, &sz);
        if (!drawPass) {
            const int fh = s.fixedLineHeight > 0 ? s.fixedLineHeight
                                                 : L.lineHeightOf(L.font(s)) + (s.spacing.empty() ? 0 : s.spacing.back());
            if (fh > cy)
                cy = fh;
        }
        if (x + sz.cx <= L.rc.right) {
            drawRun(run.data(), n, sz.cx, false);
            x += sz.cx;
            continue;
        }
        // The run overflows the right edge: cut it.
        int fit = 0;
        SIZE fitSize{};
        ::GetTextExtentExPointW(L.hDC, run.data(), n, L.rc.right - x, &fit, nullptr, &fitSize);
        if (fit > n)
            fit = n;
        if (L.style & DT_END_ELLIPSIS) {
            fit -= 2;
            if (fit < 0)
                fit = 0;
            SIZE part{};
            ::GetTextExtentPoint32W(L.hDC, run.data(), fit, &part);
            drawRun(run.data(), fit, part.cx, true);
            x += part.cx;
            if (s.inLink)
                closeLinkRect();
            // The rest of the line is not shown.
            const char16_t* rest = q;
            while (*rest && *rest != u'\n')
                ++rest;
            return {*rest ? rest + 1 : rest, x - L.rc.left, cy, singleLine || !*rest};
        }
        if ((L.style & DT_WORDBREAK) && fit > 0 && fit < n) {
            int k = fit;
            while (k > 0 && !endsWord(run[k - 1]) && !endsWord(run[k]))
                --k;
            if (k > 0)
                fit = k;
        }
        if (fit == 0 && atLineStart())
            fit = 1; // always progress
        if (fit == 0) {
            if (s.inLink)
                closeLinkRect();
            return {runStart, x - L.rc.left, cy, singleLine};
        }
        SIZE part{};
        ::GetTextExtentPoint32W(L.hDC, run.data(), fit, &part);
        drawRun(run.data(), fit, part.cx, false);
        x += part.cx;
        if (s.inLink)
            closeLinkRect();
        // Where the cut run continues: count the source units of 'fit' characters.
        const char16_t* cont = runStart;
        if (escape) {
            cont = runStart + 3;
        } else {
            int taken = 0;
            while (taken < fit) {
                if (*cont != u'\r')
                    ++taken;
                ++cont;
            }
        }
        return {cont, x - L.rc.left, cy, singleLine};
    }
    if (s.inLink)
        closeLinkRect();
    return {q, x - L.rc.left, cy, true};
}

} // namespace

void CUIRenderEngine::DrawHtmlText(HDC hDC, CUIWindowManager* pManager, RECT& rc, const char16_t* pstrText,
                                   DWORD dwTextColor, RECT* prcLinks, CUIString* sLinks, int& nLinkRects,
                                   UINT uStyle)
{
    if (!pstrText || !pManager || !hDC || ::IsRectEmpty(&rc)) {
        nLinkRects = 0;
        return;
    }
    const bool bDraw = (uStyle & DT_CALCRECT) == 0;

    if ((uStyle & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) != 0 && bDraw) {
        RECT rcText = {0, 0, 9999, 100};
        int nLinks = 0;
        DrawHtmlText(hDC, pManager, rcText, pstrText, dwTextColor, nullptr, nullptr, nLinks,
                     (uStyle & ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
        const int textW = rcText.right - rcText.left;
        const int textH = rcText.bottom - rcText.top;
        if (uStyle & DT_SINGLELINE) {
            if (uStyle & DT_CENTER) {
                rc.left = rc.left + ((rc.right - rc.left) / 2) - (textW / 2);
                rc.right = rc.left + textW;
            }
            if (uStyle & DT_RIGHT)
                rc.left = rc.right - textW;
        }
        if (uStyle & DT_VCENTER) {
            rc.top = rc.top + ((rc.bottom - rc.top) / 2) - (textH / 2);
            rc.bottom = rc.top + textH;
        }
        if (uStyle & DT_BOTTOM)
            rc.top = rc.bottom - textH;
    }

    CUIRenderClip clip;
    if (bDraw)
        CUIRenderClip::GenerateClip(hDC, rc, clip);

    Layout L;
    L.hDC = hDC;
    L.pm = pManager;
    L.rc = rc;
    L.style = uStyle;
    L.draw = bDraw;
    L.links = prcLinks;
    L.linkTexts = sLinks;
    L.linkCap = (prcLinks && sLinks) ? nLinkRects : 0;
    // The hovered link: the mouse lies in one of the rectangles passed in.
    const POINT ptMouse = pManager->GetMousePos();
    for (int i = 0; prcLinks && sLinks && i < nLinkRects; i++) {
        if (::PtInRect(&prcLinks[i], ptMouse)) {
            L.hoverLink = sLinks[i];
            L.hasHover = true;
        }
    }

    HtmlState state;
    state.fonts.push_back(pManager->GetDefaultFontDesc());
    state.colours.push_back(dwTextColor);
    HFONT hOldFont = static_cast<HFONT>(::SelectObject(hDC, state.fonts.back()->hFont));
    const int oldMode = ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, gdiColour(dwTextColor));
    const COLORREF oldBk = ::SetBkColor(hDC, gdiColour(pManager->GetDefaultSelectedBkColor()));

    const char16_t* p = pstrText;
    int lineTop = rc.top;
    int widest = 0;
    int lastBottom = rc.top;
    for (int guard = 0; *p && guard < 100000; ++guard) {
        if (bDraw && lineTop > rc.bottom)
            break;
        const HtmlState saved = state;
        const int firstLink = L.linkCount;
        const LineResult measured = processLine(L, state, p, lineTop, false, nullptr, 0, firstLink);
        // Fix the link rectangles of this line to its height.
        for (int i = firstLink; i < L.linkCount; i++) {
            prcLinks[i].top = lineTop;
            prcLinks[i].bottom = lineTop + measured.height;
        }
        if (bDraw) {
            HtmlState drawState = saved;
            processLine(L, drawState, p, lineTop, true, measured.next, measured.height, firstLink);
        }
        if (measured.width > widest)
            widest = measured.width;
        lastBottom = lineTop + measured.height;
        lineTop += measured.height;
        if (measured.next == p && !measured.stop)
            break; // no progress: never loop
        p = measured.next;
        if (measured.stop)
            break;
    }

    nLinkRects = L.linkCount;
    if (!bDraw) {
        rc.bottom = lastBottom > L.imageBottom ? lastBottom : L.imageBottom;
        if (rc.left + widest < rc.right)
            rc.right = rc.left + widest;
    }
    ::SetBkColor(hDC, oldBk);
    ::SetBkMode(hDC, oldMode);
    ::SelectObject(hDC, hOldFont);
}
