// Fonts and text through pango. A face that is not installed falls back
// through fontconfig ("Microsoft YaHei" is aliased to the CJK font).
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/winapi/src/GdiImpl.h"
#include "platform/winapi/src/TextConv.h"

namespace winapi {
namespace gdi {

namespace {

struct ThreadText {
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
    PangoLayout* layout = nullptr;
    ThreadText()
    {
        fontMap = pango_cairo_font_map_new();
        context = pango_font_map_create_context(fontMap);
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(context, o);
        cairo_font_options_destroy(o);
        layout = pango_layout_new(context);
    }
    ~ThreadText()
    {
        g_object_unref(layout);
        g_object_unref(context);
        g_object_unref(fontMap);
    }
};

ThreadText& threadText()
{
    thread_local ThreadText t;
    return t;
}

PangoFontDescription* describe(const LOGFONTW& lf)
{
    PangoFontDescription* d = pango_font_description_new();
    std::string face = toUtf8(lf.lfFaceName, std::min<size_t>(length16(lf.lfFaceName), LF_FACESIZE));
    pango_font_description_set_family(d, face.empty() ? "Sans" : face.c_str());
    double px = lf.lfHeight < 0 ? -double(lf.lfHeight) : (lf.lfHeight > 0 ? lf.lfHeight * 0.86 : 12.0);
    px = std::clamp(px, 1.0, 2000.0);
    pango_font_description_set_absolute_size(d, px * PANGO_SCALE);
    int weight = lf.lfWeight == 0 ? 400 : std::clamp<int>(lf.lfWeight, 100, 1000);
    pango_font_description_set_weight(d, PangoWeight(weight));
    pango_font_description_set_style(d, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return d;
}

std::shared_ptr<Font> makeFont(const LOGFONTW& lf)
{
    auto f = std::make_shared<Font>();
    f->lf = lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    f->desc = describe(f->lf);
    return f;
}

// The thread's layout prepared for a font and a UTF-16 text; offsets (when
// given) receives the UTF-8 offset of every UTF-16 index, plus the end.
PangoLayout* prepare(const Font& font, const char16_t* text, int count, std::vector<int>* offsets = nullptr)
{
    ThreadText& t = threadText();
    PangoLayout* l = t.layout;
    std::string utf8 = toUtf8(text, size_t(std::max(0, count)));
    if (offsets) {
        offsets->clear();
        int pos = 0;
        for (int i = 0; i < count; ++i) {
            offsets->push_back(pos);
            uint32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                offsets->push_back(pos);
                ++i;
                pos += 4;
            } else {
                pos += c < 0x80 ? 1 : (c < 0x800 ? 2 : 3);
            }
        }
        offsets->push_back(pos);
    }
    pango_layout_set_font_description(l, font.desc);
    pango_layout_set_width(l, -1);
    pango_layout_set_height(l, -1);
    pango_layout_set_wrap(l, PANGO_WRAP_WORD);
    pango_layout_set_ellipsize(l, PANGO_ELLIPSIZE_NONE);
    pango_layout_set_alignment(l, PANGO_ALIGN_LEFT);
    pango_layout_set_single_paragraph_mode(l, FALSE);
    if (font.lf.lfUnderline || font.lf.lfStrikeOut) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (font.lf.lfUnderline)
            pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.lf.lfStrikeOut)
            pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(l, attrs);
        pango_attr_list_unref(attrs);
    } else {
        pango_layout_set_attributes(l, nullptr);
    }
    pango_layout_set_text(l, utf8.data(), int(utf8.size()));
    return l;
}

const TEXTMETRICW& metrics(Font& f)
{
    std::lock_guard<std::mutex> lock(f.metricsMutex);
    if (f.metricsValid)
        return f.tm;
    TEXTMETRICW tm{};
    PangoLayout* l = prepare(f, u"A", 1);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    tm.tmHeight = logical.height;
    tm.tmAscent = pango_layout_get_baseline(l) / PANGO_SCALE;
    tm.tmDescent = tm.tmHeight - tm.tmAscent;
    double em = pango_font_description_get_size(f.desc) / double(PANGO_SCALE);
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - LONG(std::lround(em)));
    tm.tmExternalLeading = 0;
    PangoFontMetrics* m = pango_context_get_metrics(threadText().context, f.desc, nullptr);
    tm.tmAveCharWidth = std::max(1, (pango_font_metrics_get_approximate_char_width(m) + PANGO_SCALE / 2) / PANGO_SCALE);
    pango_font_metrics_unref(m);
    l = prepare(f, u"W\u4E2D", 2);
    int w = 0;
    PangoRectangle r;
    pango_layout_index_to_pos(l, 1, &r);
    w = std::max(r.x / PANGO_SCALE, 0);
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    tm.tmMaxCharWidth = std::max<LONG>(std::max(w, logical.width - w), tm.tmAveCharWidth);
    tm.tmWeight = f.lf.lfWeight ? f.lf.lfWeight : FW_NORMAL;
    tm.tmItalic = f.lf.lfItalic;
    tm.tmUnderlined = f.lf.lfUnderline;
    tm.tmStruckOut = f.lf.lfStrikeOut;
    tm.tmCharSet = f.lf.lfCharSet;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFFFC;
    tm.tmDefaultChar = u'?';
    tm.tmBreakChar = u' ';
    tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = 96;
    f.tm = tm;
    f.metricsValid = true;
    return f.tm;
}

void show(cairo_t* cr, PangoLayout* l, double x, double y, COLORREF color)
{
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    setColor(cr, color);
    cairo_move_to(cr, safeCoord(x), safeCoord(y));
    pango_cairo_show_layout(cr, l);
    cairo_restore(cr);
}

}  // namespace

PangoContext* threadContext() { return threadText().context; }

std::shared_ptr<Font> defaultFont()
{
    static std::shared_ptr<Font> f = [] {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        const char16_t* face = u"Microsoft YaHei";
        std::memcpy(lf.lfFaceName, face, (length16(face) + 1) * sizeof(char16_t));
        auto font = makeFont(lf);
        font->stock = true;
        return font;
    }();
    return f;
}

std::shared_ptr<Font> dcFont(const DC& dc) { return dc.state.font ? dc.state.font : defaultFont(); }

std::string fontDescription(HFONT font)
{
    auto f = objectAs<Font>(font, Kind::Font);
    if (!f)
        f = defaultFont();
    char* s = pango_font_description_to_string(f->desc);
    std::string out = s;
    g_free(s);
    return out;
}

}  // namespace gdi
}  // namespace winapi

using namespace winapi;
using namespace winapi::gdi;

HFONT CreateFontIndirectW(const LOGFONTW* lf)
{
    if (!lf)
        return nullptr;
    return static_cast<HFONT>(addObject(makeFont(*lf)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face)
{
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = BYTE(italic);
    lf.lfUnderline = BYTE(underline);
    lf.lfStrikeOut = BYTE(strikeOut);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (face) {
        size_t n = std::min<size_t>(length16(face), LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, face, n * sizeof(char16_t));
    }
    return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm)
{
    auto dc = dcOf(hdc);
    if (!dc || !tm)
        return FALSE;
    *tm = metrics(*dcFont(*dc));
    return TRUE;
}

int GetTextFaceW(HDC hdc, int count, LPWSTR face)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return 0;
    auto f = dcFont(*dc);
    int n = int(length16(f->lf.lfFaceName));
    if (!face)
        return n + 1;
    int c = std::min(n, count - 1);
    if (c < 0)
        return 0;
    std::memcpy(face, f->lf.lfFaceName, size_t(c) * sizeof(char16_t));
    face[c] = 0;
    return c;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size)
{
    auto dc = dcOf(hdc);
    if (!dc || !size || count < 0 || (!text && count > 0))
        return FALSE;
    auto f = dcFont(*dc);
    const TEXTMETRICW& tm = metrics(*f);
    if (count == 0) {
        *size = SIZE{0, tm.tmHeight};
        return TRUE;
    }
    PangoLayout* l = prepare(*f, text, count);
    pango_layout_set_single_paragraph_mode(l, TRUE);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    *size = SIZE{logical.width, std::max<LONG>(logical.height, tm.tmHeight)};
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size)
{
    auto dc = dcOf(hdc);
    if (!dc || count < 0 || (!text && count > 0))
        return FALSE;
    auto f = dcFont(*dc);
    const TEXTMETRICW& tm = metrics(*f);
    std::vector<int> offsets;
    PangoLayout* l = prepare(*f, text, count, &offsets);
    pango_layout_set_single_paragraph_mode(l, TRUE);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    int fitted = 0;
    for (int i = 0; i < count; ++i) {
        // The extent after character i: the leading edge of the next one.
        int x;
        if (i + 1 >= count) {
            x = logical.width;
        } else {
            PangoRectangle pos;
            pango_layout_index_to_pos(l, offsets[size_t(i) + 1], &pos);
            x = PANGO_PIXELS(pos.x);
        }
        if (dx)
            dx[i] = x;
        if (x <= maxExtent && fitted == i)
            fitted = i + 1;
    }
    if (fit)
        *fit = fitted;
    if (size)
        *size = SIZE{logical.width, std::max<LONG>(logical.height, tm.tmHeight)};
    return TRUE;
}

namespace {

BOOL textOut(HDC hdc, int x, int y, const RECT* clipRect, LPCWSTR text, int count)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    if (count <= 0 || !text)
        return TRUE;
    auto f = dcFont(*dc);
    PangoLayout* l = prepare(*f, text, count);
    pango_layout_set_single_paragraph_mode(l, TRUE);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    int w = logical.width, h = std::max<int>(logical.height, metrics(*f).tmHeight);
    UINT align = dc->state.textAlign;
    double px = x, py = y;
    if ((align & TA_CENTER) == TA_CENTER)
        px -= w / 2;
    else if (align & TA_RIGHT)
        px -= w;
    if ((align & TA_BASELINE) == TA_BASELINE)
        py -= pango_layout_get_baseline(l) / PANGO_SCALE;
    else if (align & TA_BOTTOM)
        py -= h;
    Paint p(hdc);
    if (!p)
        return TRUE;
    if (clipRect) {
        cairo_rectangle(p.cr, safeCoord(clipRect->left), safeCoord(clipRect->top),
                        safeCoord(clipRect->right) - safeCoord(clipRect->left),
                        safeCoord(clipRect->bottom) - safeCoord(clipRect->top));
        cairo_clip(p.cr);
    }
    if (dc->state.bkMode == OPAQUE)
        fillRectangle(p.cr, px, py, px + w, py + h, dc->state.bkColor);
    show(p.cr, l, px, py, dc->state.textColor);
    return TRUE;
}

}  // namespace

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) { return textOut(hdc, x, y, nullptr, text, count); }

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT*)
{
    auto dc = dcOf(hdc);
    if (!dc)
        return FALSE;
    if ((options & ETO_OPAQUE) && rect) {
        Paint p(hdc);
        if (p)
            fillRectangle(p.cr, rect->left, rect->top, rect->right, rect->bottom, dc->state.bkColor);
    }
    if (!text || count == 0)
        return TRUE;
    int saved = dc->state.bkMode;
    if (options & ETO_OPAQUE)
        dc->state.bkMode = TRANSPARENT;
    BOOL ok = textOut(hdc, x, y, (options & ETO_CLIPPED) ? rect : nullptr, text, int(count));
    dc->state.bkMode = saved;
    return ok;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format)
{
    auto dc = dcOf(hdc);
    if (!dc || !rect || !text)
        return 0;
    if (count < 0)
        count = int(length16(text));
    // The text as shown: mnemonic ampersands removed, line breaks dropped
    // on a single line.
    std::u16string s;
    s.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        char16_t c = text[i];
        if (c == 0)
            break;
        if (!(format & DT_NOPREFIX) && c == u'&') {
            if (i + 1 < count && text[i + 1] == u'&') {
                s.push_back(u'&');
                ++i;
            }
            continue;
        }
        if ((format & DT_SINGLELINE) && (c == u'\r' || c == u'\n'))
            continue;
        s.push_back(c);
    }
    bool calc = (format & DT_CALCRECT) != 0;
    if (s.empty()) {
        if (calc) {
            rect->right = rect->left;
            rect->bottom = rect->top;
        }
        return 0;
    }
    auto f = dcFont(*dc);
    const TEXTMETRICW tm = metrics(*f);
    PangoLayout* l = prepare(*f, s.data(), int(s.size()));
    bool single = (format & DT_SINGLELINE) != 0;
    bool wrap = (format & DT_WORDBREAK) && !single;
    bool ellipsis = (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0;
    long long rw = (long long)rect->right - rect->left, rh = (long long)rect->bottom - rect->top;
    int layoutWidth = int(std::clamp<long long>(rw, 0, 1 << 20));
    if (single)
        pango_layout_set_single_paragraph_mode(l, TRUE);
    if (wrap)
        pango_layout_set_width(l, layoutWidth * PANGO_SCALE);
    if (ellipsis && !calc) {
        pango_layout_set_width(l, layoutWidth * PANGO_SCALE);
        pango_layout_set_ellipsize(l, PANGO_ELLIPSIZE_END);
        if (wrap)
            pango_layout_set_height(l, int(std::clamp<long long>(rh, 1, 1 << 20)) * PANGO_SCALE);
    }
    bool pangoAligns = wrap || (ellipsis && !calc);
    if (pangoAligns && !single)
        pango_layout_set_alignment(l, (format & DT_CENTER) ? PANGO_ALIGN_CENTER
                                                           : ((format & DT_RIGHT) ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT));
    else if (!single)
        pango_layout_set_alignment(l, (format & DT_CENTER) ? PANGO_ALIGN_CENTER
                                                           : ((format & DT_RIGHT) ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    int lines = pango_layout_get_line_count(l);
    int textW = logical.width;
    int textH = std::max<int>(logical.height, tm.tmHeight * (lines > 0 ? 1 : 0));
    if (calc) {
        rect->right = LONG(std::clamp<long long>((long long)rect->left + textW, INT32_MIN, INT32_MAX));
        rect->bottom = LONG(std::clamp<long long>((long long)rect->top + textH, INT32_MIN, INT32_MAX));
        return textH;
    }
    // Position of the layout's origin.
    long long x = rect->left, y = rect->top;
    int lineW = textW;
    if (single || !pangoAligns) {
        if (format & DT_CENTER)
            x += (rw - lineW) / 2;
        else if (format & DT_RIGHT)
            x += rw - lineW;
        x -= logical.x;
    }
    long long offset = 0;
    if (single) {
        if (format & DT_VCENTER)
            offset = (rh - textH) / 2;
        else if (format & DT_BOTTOM)
            offset = rh - textH;
    }
    y += offset;
    Paint p(hdc);
    if (p) {
        if (!(format & DT_NOCLIP)) {
            cairo_rectangle(p.cr, safeCoord(double(rect->left)), safeCoord(double(rect->top)), safeCoord(double(rw)),
                            safeCoord(double(rh)));
            cairo_clip(p.cr);
        }
        if (dc->state.bkMode == OPAQUE)
            fillRectangle(p.cr, double(x + logical.x), double(y), double(x + logical.x + textW), double(y + textH),
                 dc->state.bkColor);
        show(p.cr, l, double(x), double(y), dc->state.textColor);
    }
    return int(std::clamp<long long>((format & (DT_VCENTER | DT_BOTTOM)) && single ? offset + textH : textH, INT32_MIN,
                                     INT32_MAX));
}
