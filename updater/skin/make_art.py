#!/usr/bin/env python3
"""Writes the updater skin's artwork as SVG files into the given folder; the
build renders each to a PNG of the same name with rsvg-convert."""
import os
import sys

TEAL = "#5dc0ba"
TEAL_HOT = "#73cfc9"
TEAL_DOWN = "#469e98"
AMBER = "#f5a623"
AMBER_HOT = "#f8b950"
AMBER_DOWN = "#d98e12"
GREY = "#c9c9cc"


def svg(w, h, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">{body}</svg>\n')


def button(fill, edge):
    # 100 x 30, rounded, a faint light band on the upper half.
    return svg(100, 30,
               f'<rect x="0.5" y="0.5" width="99" height="29" rx="4" fill="{fill}" stroke="{edge}"/>'
               '<rect x="2" y="2" width="96" height="12" rx="3" fill="#ffffff" opacity="0.12"/>')


def close_button(ring_opacity):
    ring = (f'<circle cx="13" cy="13" r="12" fill="#ffffff" opacity="{ring_opacity}"/>'
            if ring_opacity else "")
    return svg(26, 26, ring +
               '<path d="M8.5 8.5 L17.5 17.5 M17.5 8.5 L8.5 17.5" stroke="#ffffff" '
               'stroke-width="2" stroke-linecap="round"/>')


def logo(size):
    # A teal tile with a white open book and a small rising arrow.
    s = size / 48.0
    return svg(size, size,
               f'<g transform="scale({s})">'
               f'<rect x="1" y="1" width="46" height="46" rx="10" fill="{TEAL}"/>'
               '<path d="M10 16 Q17 13 24 17 L24 36 Q17 32 10 35 Z" fill="#ffffff"/>'
               '<path d="M38 16 Q31 13 24 17 L24 36 Q31 32 38 35 Z" fill="#e8f7f6"/>'
               '<path d="M24 6 L29 11 L26 11 L26 15 L22 15 L22 11 L19 11 Z" fill="#ffffff"/>'
               '</g>')


def app_logo():
    # 48 x 67: the tile above three dots that say "working".
    return svg(48, 67,
               f'<rect x="1" y="1" width="46" height="46" rx="10" fill="{TEAL}"/>'
               '<path d="M10 16 Q17 13 24 17 L24 36 Q17 32 10 35 Z" fill="#ffffff"/>'
               '<path d="M38 16 Q31 13 24 17 L24 36 Q31 32 38 35 Z" fill="#e8f7f6"/>'
               '<path d="M24 6 L29 11 L26 11 L26 15 L22 15 L22 11 L19 11 Z" fill="#ffffff"/>'
               f'<circle cx="14" cy="59" r="3" fill="{TEAL}" opacity="0.45"/>'
               f'<circle cx="24" cy="59" r="3" fill="{TEAL}" opacity="0.7"/>'
               f'<circle cx="34" cy="59" r="3" fill="{TEAL}"/>')


def arrow(up, fill):
    d = "M3.5 9 L7 5 L10.5 9 Z" if up else "M3.5 5 L7 9 L10.5 5 Z"
    return svg(14, 14, f'<rect width="14" height="14" fill="#ececec"/><path d="{d}" fill="{fill}"/>')


def thumb(fill):
    return svg(14, 20, f'<rect x="3" y="1" width="8" height="18" rx="4" fill="{fill}"/>')


def art():
    return {
        "applogo": app_logo(),
        "blueClose": close_button(0),
        "blueClose2": close_button(0.22),
        "blueClose3": close_button(0.38),
        # Track and filled part of the progress bar, both tiled in x and y.
        "progress1": svg(16, 16, '<rect width="16" height="16" fill="#dedfe1"/>'
                                 '<rect width="16" height="1" fill="#cfd0d2"/>'),
        "progress2": svg(16, 16, f'<rect width="16" height="16" fill="{TEAL}"/>'
                                 '<path d="M0 16 L8 0 L12 0 L4 16 Z M8 16 L16 0 L16 8 L12 16 Z" '
                                 'fill="#ffffff" opacity="0.16"/>'),
        "btn_blue_normal": button(TEAL, TEAL_DOWN),
        "btn_blue_over": button(TEAL_HOT, TEAL),
        "btn_blue_down": button(TEAL_DOWN, TEAL_DOWN),
        "btn_blue_dis": button(GREY, GREY),
        "yellowbtn": button(AMBER, AMBER_DOWN),
        "yellowbtn2": button(AMBER_HOT, AMBER),
        "yellowbtn3": button(AMBER_DOWN, AMBER_DOWN),
        "v2scrollbar_arrowup_normal": arrow(True, "#a0a0a4"),
        "v2scrollbar_arrowup_highlight": arrow(True, TEAL),
        "v2scrollbar_arrowup_down": arrow(True, TEAL_DOWN),
        "v2scrollbar_down_normal": arrow(False, "#a0a0a4"),
        "v2scrollbar_down_highlight": arrow(False, TEAL),
        "v2scrollbar_down_down": arrow(False, TEAL_DOWN),
        "v2scrollbar_bar_normal": thumb("#c2c2c6"),
        "v2scrollbar_bar_highlight": thumb(TEAL),
        "v2scrollbar_bar_down": thumb(TEAL_DOWN),
        "v2scrollbar_bkg": svg(14, 14, '<rect width="14" height="14" fill="#ececec"/>'),
        # Program icons in three sizes (carried in the zip; the window's own
        # icon is a resource of the program).
        "logo16": logo(16),
        "logo32": logo(32),
        "logo48": logo(48),
    }


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, text in art().items():
        path = os.path.join(out, name + ".svg")
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        print(name)


if __name__ == "__main__":
    main()
