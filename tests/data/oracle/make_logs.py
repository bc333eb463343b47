#!/usr/bin/env python3
"""Writes the hand-built golden logs into tests/data (or DIR), then for every *.log there its
.expected.csv from reference.py (sample_slice.log is the start of samples/sample.log).

    make_logs.py [DIR]
"""

import os
import sys

import reference

HEADER = "A0 86 A8 40"
ESCAPED = {0xFF: "D7 DF", 0xF8: "D7 D8", 0xF9: "D7 D9", 0xFA: "D7 DA", 0xFB: "D7 DE",
           0xD7: "D7 D6"}
WORDS = [35, 37, 39, 41, 43, 45, 47, 49, 51, 53, 63, 65, 72, 74, 81]
BYTES = list(range(55, 63)) + list(range(67, 72)) + [80]
RAMP = {k: (k * 7 + 3) & 0xFF for k in range(11, 83)}


def text(values, first=11, last=82):
    """Frame bytes first..last as a station writes them, escaped where needed; missing ones 0."""
    return " ".join(ESCAPED.get(values.get(k, 0), "%02X" % values.get(k, 0))
                    for k in range(first, last + 1))


def raw(*parts):
    return " ".join((HEADER, reference.MARKER) + parts)


def frame(values, last=82):
    return raw(text(values, 11, last))


def words(*pairs):
    return {k + i: (w >> 8, w & 0xFF)[i] for k, w in pairs for i in (0, 1)}


def every(w, b):
    """Word w in every word channel, byte b in every byte channel, time and RX count w w."""
    hi, lo = w >> 8, w & 0xFF
    return words(*((k, w) for k in WORDS)) | {k: b for k in BYTES} | {
        17: hi, 18: lo, 19: hi, 20: lo, 76: hi, 77: lo, 78: hi, 79: lo}


def lines(seq, end="\r\n"):
    return "".join(s + end for s in seq)


def cases():
    a, b, c = frame(RAMP), frame(every(0x1234, 0x5A)), frame(every(0x0100, 1))
    other = HEADER + " 58 30 54 57 4B 2D 32 00 11 22"
    good, fill = frame(every(0x0A0B, 0x21)), text({k: 0x10 for k in range(11, 83)})
    escapes = ["D7 DF D7 D8 D7 D9 D7 DA D7 DE D7 D6", "D7 D6 DF 01 02 03 04",
               "D7 D6 D8 01 02 03 04", "D7 DE 01 02 03 04 05", "D7 D7 DF 01 02 03 04",
               "D7 D7 D6 DF 01 02 03", "D7 D6 D6 01 02 03 04", "D7 DD 01 02 03 04 05",
               "D7  DF 01 02 03 04 05", "d7 df 01 02 03 04 05", "D7 DF DF D7 DE DE"]
    hexes = [{35: "ZZ", 36: "4G", 37: "G4", 38: "ff", 55: "Ab", 56: "zz", 71: "7Q"},
             {17: "0x", 18: "0X", 19: "&H", 20: "&h", 80: "x1", 76: "-1", 77: "+1"},
             {67: "..", 68: "F.", 69: ".F", 70: "g9", 71: "9g"}, {40: "1"}]
    edges = [every(w, b) for w, b in [(0, 0), (0x8000, 0x80), (0x8001, 0x81), (0xFFFF, 0xFF),
                                      (0x0100, 1), (0x7FFF, 0x7F), (1, 0x73), (0x1234, 0x74)]]
    edges += [words((39, 0x1900), (49, 0x0020), (41, 0x1234), (51, 0xFFFF)) | {
                  71: 115, 17: 0, 18: 1, 19: 0, 20: 0, 76: 255, 77: 255, 78: 255, 79: 255},
              words((39, 0x8020), (49, 0x001F), (41, 0x7FFF), (51, 0x0020)) | {
                  71: 116, 17: 255, 18: 255, 19: 255, 20: 255},
              words((39, 0x8000), (49, 0x801F), (74, 0x8000), (81, 0x8001), (72, 0xFFFF)) | {
                  71: 0, 69: 91, 67: 255, 70: 0, 68: 0},
              words((37, 0x8000), (43, 0x8001), (47, 0xFFFF), (53, 0x0100), (63, 0x7FFF),
                    (65, 0x8001)) | {71: 255, 80: 0xFF, 69: 255, 70: 85}]
    sweep = [words(*((k, (v * 0x0101 + v * 37 + i * 0x1111) & 0xFFFF)
                     for i, k in enumerate(WORDS))) | {k: v for k in BYTES} | {
                 17: v, 18: 255 - v, 19: v ^ 0x5A, 20: v, 76: 255 - v, 77: v, 78: 7, 79: v}
             for v in range(256)]
    return {
        "line_ends_crlf": lines([a, other, b, c]),
        "line_ends_lf": lines([a, other, b, c], "\n"),
        "line_ends_cr": lines([a, other, b, c], "\r"),
        "line_ends_lf_cr": lines([a, b, c], "\n\r"),  # LF CR is two line ends
        "line_ends_mixed": a + "\r\n" + other + "\n" + b + "\r\r\r\n" + c + "\n\n" + a,
        "no_final_line_end": a + "\r\n" + b + "\r\n" + c,
        "no_final_line_end_cr": a + "\r" + c + "\r",
        "marker_columns": lines([
            good, " " + good, HEADER + " " + reference.MARKER.lower() + " " + fill,
            raw(fill).replace("86", "D7 DF", 1),  # an escaped header byte moves the marker
            HEADER + " 58 30 54 57 4B 2D 32 " + fill, raw()[:-1], raw(),
            HEADER + "\t" + reference.MARKER + " " + fill,
            # Escaped, the marker is in place as read; un-escaped, every position moves down.
            "D7 DF 86 A8 " + reference.MARKER + " " + text(every(0x0A0B, 0x21)),
            "x" * 12 + reference.MARKER + " " + fill, good]),
        "escapes": lines([raw(text(RAMP, 11, 54), e, text(RAMP, 61, 82)) for e in escapes] +
                         [raw(text(RAMP, 11, 79), "D7")] +
                         [frame(every(w, b)) for w, b in [(0xFFFF, 0xFB), (0xF8F9, 0xFA),
                                                          (0xD7D7, 0xD7), (0xD7FF, 0xF9)]]),
        "odd_lengths": lines(raw(text(RAMP, 11, last), digit) for last, digit in
                             [(79, "9"), (70, "7"), (34, "C"), (35, "c"), (19, "F"), (17, "1"),
                              (82, "5")]),
        "short_lines": lines([raw(), raw("01 02 03 04 05 06"), raw("01 02 03 04 05 06", "00 01 00"),
                              frame(RAMP, 40), frame(RAMP, 71), frame(RAMP, 79)]),
        "non_hex": lines(raw(" ".join(h.get(k, "11") for k in range(11, 83))) for h in hexes),
        "channel_edges": lines(frame(v) for v in edges),
        "byte_sweep": lines(frame(v) for v in sweep),
        "other_stations": lines([
            "# received on 2024-03-01, station log", "",
            HEADER + " 58 30 54 57 4B 2D 32 " + " ".join(["11"] * 72),
            HEADER + " 4E 30 43 41 4C 4C 31 " + " ".join(["22"] * 72),
            frame(every(0x2345, 0x67)), "[12:00:01] fm X0TWK-1 to CQ ctl UI pid F0", raw(), "   ",
            frame(RAMP)]),
        # Channel 19 values halfway between two 15-digit texts, rounded half to even.
        "general_text_ties": lines(frame(words((63, w))) for w in
                                   [0x49BB, 0x4BAF, 0x7E77, 0x8189, 0xB645]),
        "empty": "",
        "only_line_ends": "\r\n\n\r\r\n",
    }


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    for name, log in cases().items():
        with open(os.path.join(folder, name + ".log"), "wb") as f:
            f.write(log.encode("ascii"))
    for name in sorted(os.listdir(folder)):
        if name.endswith(".log"):
            path = os.path.join(folder, name)
            with open(path[:-4] + ".expected.csv", "wb") as f:
                f.write(reference.csv_text([path]).encode("latin-1"))
