#!/usr/bin/python3
# Prints the lunar date and solar term of every day from FIRST to LAST
# (years, arguments) as computed by the lunar-date library of the system:
#   yyyy mm dd lunarMonth lunarDay leap(0/1) termIndex(-1 = none)
# The library names solar terms in pinyin; their index is their order in the
# Gregorian year, matched by the first letters of the name.
import datetime
import sys
import warnings

warnings.filterwarnings("ignore")
import gi  # noqa: E402

gi.require_version("LunarDate", "3.0")
from gi.repository import LunarDate  # noqa: E402

TERMS = ["Xiǎohán", "Dàhán", "Lìchūn", "Yǔshuǐ", "Jīngzhé", "Chūnfēn", "Qīngmíng", "Gǔyǔ",
         "Lìxià", "Xiǎomǎn", "Mángzh", "Xiàzhì", "Xiǎoshǔ", "Dàshǔ", "Lìqīu", "Chùshǔ",
         "Báilòu", "Qīufēn", "Hánlòu", "Shuāngji", "Lìdōng", "Xiǎoxuě", "Dàxuě", "Dōngzhì"]

first, last = int(sys.argv[1]), int(sys.argv[2])
d = datetime.date(first, 1, 1)
end = datetime.date(last, 12, 31)
date = LunarDate.Date()
out = []
while d <= end:
    date.set_solar_date(d.year, d.month, d.day, 0)
    month, day = date.strftime("%(yue)|%(ri)").split("|")
    leap = 1 if month.startswith("*") else 0
    term = -1
    for name in (date.get_jieri("|") or "").split("|"):
        for i, t in enumerate(TERMS):
            if name.startswith(t):
                term = i
    out.append("%d %d %d %d %d %d %d" % (d.year, d.month, d.day, int(month.lstrip("*")), int(day), leap, term))
    d += datetime.timedelta(days=1)
print("\n".join(out))
