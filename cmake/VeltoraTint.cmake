# cmake -DIN=icon.svg -DOUT=tinted.svg -DTINT=#RRGGBB -P VeltoraTint.cmake
# Breeze icons draw with the colour scheme's text colour (#232629, also named
# through currentColor); replace it with the given colour.
file(READ ${IN} svg)
string(REPLACE "#232629" "${TINT}" svg "${svg}")
string(REPLACE "currentColor" "${TINT}" svg "${svg}")
file(WRITE ${OUT} "${svg}")
