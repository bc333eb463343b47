#!/usr/bin/env python3
"""Writes the hand-built golden logs into tests/data and, for every tests/data/*.log (these and
any copied in, such as sample_slice.log), its <case>.expected.csv from reference.py.

    make_logs.py            write the logs, then the expected CSV files
    make_logs.py --expected only rewrite the expected CSV files
"""

import os
import sys

import reference

DATA = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

HEADER = "A0 86 A8 40"
ESCAPED = {0xFF: "D7 DF", 0xF8: "D7 D8", 0xF9: "D7 D9", 0xFA: "D7 DA", 0xFB: "D7 DE",
           0xD7: "D7 D6"}


def tokens(values):
    """Frame bytes as the station writes them: two hex digits each, escaped where needed."""
    return [ESCAPED.get(v, "%02X" % v) for v in values]


def frame(values, last=82):
    """A telemetry line whose frame bytes 11..last come from values ({position: byte}), the
    rest 0."""
    body = [values.get(k, 0) for k in range(11, last + 1)]
    return " ".join([HEADER, reference.MARKER] + tokens(body))


def raw(*parts):
    """A telemetry line with hand-written text after the marker."""
    return " ".join([HEADER, reference.MARKER] + list(parts))


def word(k, w):
    return {k: w >> 8, k + 1: w & 0xFF}


def words(pairs):
    out = {}
    for k, w in pairs:
        out.update(word(k, w))
    return out


WORD_CHANNELS = [35, 37, 39, 41, 43, 45, 47, 49, 51, 53, 63, 65, 72, 74, 81]
BYTE_CHANNELS = list(range(55, 63)) + list(range(67, 72)) + [80]


def every_channel(w, b):
    """Word w in every word channel, byte b in every single-byte channel, the time and the
    receive counter from w repeated."""
    values = words((k, w) for k in WORD_CHANNELS)
    values.update({k: b for k in BYTE_CHANNELS})
    values.update({17: w >> 8, 18: w & 0xFF, 19: w >> 8, 20: w & 0xFF})
    values.update({76: w >> 8, 77: w & 0xFF, 78: w >> 8, 79: w & 0xFF})
    return values


def ramp():
    return {k: (k * 7 + 3) & 0xFF for k in range(11, 83)}


def lines(seq, end="\r\n"):
    return "".join(line + end for line in seq)


def case_line_ends():
    a, b, c = frame(ramp()), frame(every_channel(0x1234, 0x5A)), frame(every_channel(0x0100, 1))
    other = "A0 86 A8 40 58 30 54 57 4B 2D 32 00 11 22"
    return {
        "line_ends_crlf": lines([a, other, b, c], "\r\n"),
        "line_ends_lf": lines([a, other, b, c], "\n"),
        "line_ends_cr": lines([a, other, b, c], "\r"),
        # LF CR is two line ends: the CR must not stick to the start of the next line.
        "line_ends_lf_cr": a + "\n\r" + b + "\n\r" + c + "\n\r",
        "line_ends_mixed": a + "\r\n" + other + "\n" + b + "\r" + "\r\r\n" + c + "\n\n" + a,
        "no_final_line_end": a + "\r\n" + b + "\r\n" + c,
        "no_final_line_end_cr": a + "\r" + c + "\r",
    }


def case_marker_columns():
    good = frame(every_channel(0x0A0B, 0x21))
    body = " ".join(tokens([0x10] * 72))
    seq = [
        good,
        " " + good,  # marker at column 14
        HEADER + " " + reference.MARKER.lower() + " " + body,
        HEADER.replace("86", "D7 DF") + " " + reference.MARKER + " " + body,  # column 16
        HEADER + " 58 30 54 57 4B 2D 32 " + body,  # another station
        HEADER + " 58 30 54 57 4B 2D 31"[:-1],  # 31 characters
        HEADER + " " + reference.MARKER,  # exactly 32 characters: 11 bytes
        HEADER + "\t" + reference.MARKER + " " + body,  # tab instead of blank: still column 13
        # Three header bytes, one escaped, put the marker at column 13 as read; un-escaped, the
        # frame is one byte shorter and every later position moves down by one.
        "D7 DF 86 A8 " + reference.MARKER + " " + " ".join(tokens(
            [every_channel(0x0A0B, 0x21).get(k, 0) for k in range(11, 83)])),
        "xxxxxxxxxxxx" + reference.MARKER + " " + body,  # garbage header, marker in place
        good,
    ]
    return {"marker_columns": lines(seq)}


def case_escapes():
    # Each line writes an escape text for the solar-array bytes (positions 55 to 60), so the
    # un-escaped bytes show as channels 11 to 16 and a wrong byte count moves every channel
    # after them.
    r = ramp()
    before = " ".join(tokens([r[k] for k in range(11, 55)]))
    after = " ".join(tokens([r[k] for k in range(61, 83)]))
    seq = [raw(before, text, after) for text in [
        "D7 DF D7 D8 D7 D9 D7 DA D7 DE D7 D6",  # FF F8 F9 FA FB D7
        "D7 D6 DF 01 02 03 04",  # D7 DF
        "D7 D6 D8 01 02 03 04",  # D7 D8
        "D7 DE 01 02 03 04 05",  # FB
        "D7 D7 DF 01 02 03 04",  # D7 FF
        "D7 D7 D6 DF 01 02 03",  # D7 D7 DF
        "D7 D6 D6 01 02 03 04",  # D7 D6
        "D7 DD 01 02 03 04 05",  # not an escape: seven bytes D7 DD 01 ..
        "D7  DF 01 02 03 04 05",  # two blanks: no escape, seven bytes
        "d7 df 01 02 03 04 05",  # lower case: no escape, seven bytes
        "D7 DF DF D7 DE DE",  # FF DF FB DE
    ]]
    # A D7 that ends the line stays D7: the status byte.
    seq.append(raw(" ".join(tokens([r[k] for k in range(11, 80)])), "D7"))
    # Escapes inside the channels: FFFF words, FB and F8 bytes.
    seq += [frame(every_channel(0xFFFF, 0xFB)), frame(every_channel(0xF8F9, 0xFA)),
            frame(every_channel(0xD7D7, 0xD7)), frame(every_channel(0xD7FF, 0xF9))]
    return {"escapes": lines(seq)}


def case_odd_lengths():
    r = ramp()
    pre = lambda last: " ".join(tokens([r.get(k, 0) for k in range(11, last + 1)]))  # noqa: E731
    seq = [
        raw(pre(79), "9"),  # 80 bytes and a digit: k = 80 even, position 80 = 9
        raw(pre(70), "7"),  # k = 71 odd: position 71 = 7, position 72 = 0
        raw(pre(34), "C"),  # k = 35 odd: position 35 = 12, channel 1 = 12 * 256
        raw(pre(35), "c"),  # k = 36 even: position 36 = 12, channel 1 = B(35) * 256 + 12
        raw(pre(19), "F"),  # k = 20 even: the time's low byte = 15
        raw(pre(17), "1"),  # k = 18 even: the time's second byte = 1
        raw(pre(82), "5"),  # a digit past the channels changes nothing
    ]
    return {"odd_lengths": lines(seq)}


def case_short_lines():
    seq = [
        HEADER + " " + reference.MARKER,  # 11 bytes
        raw("01 02 03 04 05 06"),  # 17 bytes, before the time
        raw("01 02 03 04 05 06", "00 01 00"),  # the time's first three bytes
        frame(ramp(), last=40),  # the first channels, then nothing
        frame(ramp(), last=71),  # up to the signal strength
        frame(ramp(), last=79),  # the receive counter, no status byte
    ]
    return {"short_lines": lines(seq)}


def case_non_hex():
    r = {k: 0x11 for k in range(11, 83)}
    body = tokens([r[k] for k in range(11, 83)])

    def put(positions):
        t = list(body)
        for k, text in positions.items():
            t[k - 11] = text
        return raw(*t)

    seq = [
        put({35: "ZZ", 36: "4G", 37: "G4", 38: "ff", 55: "Ab", 56: "zz", 71: "7Q"}),
        put({17: "0x", 18: "0X", 19: "&H", 20: "&h", 80: "x1", 76: "-1", 77: "+1"}),
        put({67: "..", 68: "F.", 69: ".F", 70: "g9", 71: "9g"}),
        # A one-character token moves every later pair by one character.
        put({40: "1"}),
    ]
    return {"non_hex": lines(seq)}


def case_channel_edges():
    seq = []
    for w, b in [(0x0000, 0x00), (0x8000, 0x80), (0x8001, 0x81), (0xFFFF, 0xFF), (0x0100, 0x01),
                 (0x7FFF, 0x7F), (0x0001, 0x73), (0x1234, 0x74)]:
        seq.append(frame(every_channel(w, b)))
    named = [
        # battery temperatures, voltages, signal strength, time, receive counter
        words([(39, 0x1900), (49, 0x0020), (41, 0x1234), (51, 0xFFFF)]) |
        {71: 115, 17: 0x00, 18: 0x01, 19: 0x00, 20: 0x00, 76: 255, 77: 255, 78: 255, 79: 255},
        words([(39, 0x8020), (49, 0x001F), (41, 0x7FFF), (51, 0x0020)]) |
        {71: 116, 17: 255, 18: 255, 19: 255, 20: 255},
        words([(39, 0x8000), (49, 0x801F), (74, 0x8000), (81, 0x8001), (72, 0xFFFF)]) |
        {71: 0, 69: 91, 67: 255, 70: 0, 68: 0},
        words([(37, 0x8000), (43, 0x8001), (47, 0xFFFF), (53, 0x0100), (63, 0x7FFF),
               (65, 0x8001)]) | {71: 255, 80: 0xFF, 69: 255, 70: 85},
    ]
    seq += [frame(v) for v in named]
    return {"channel_edges": lines(seq)}


def case_byte_sweep():
    # Every byte value in every single-byte channel, and a spread of words, one packet each.
    seq = []
    for v in range(256):
        values = {k: v for k in BYTE_CHANNELS}
        w = (v * 0x0101 + v * 37) & 0xFFFF
        for i, k in enumerate(WORD_CHANNELS):
            values.update(word(k, (w + i * 0x1111) & 0xFFFF))
        values.update({17: v, 18: 255 - v, 19: v ^ 0x5A, 20: v, 76: 255 - v, 77: v, 78: 7, 79: v})
        seq.append(frame(values))
    return {"byte_sweep": lines(seq)}


def case_other_stations():
    ours = frame(every_channel(0x2345, 0x67))
    seq = [
        "# received on 2024-03-01, station log",
        "",
        "A0 86 A8 40 58 30 54 57 4B 2D 32 " + " ".join(["11"] * 72),  # X0TWK-2
        "A0 86 A8 40 4E 30 43 41 4C 4C 31 " + " ".join(["22"] * 72),
        ours,
        "[12:00:01] fm X0TWK-1 to CQ ctl UI pid F0",
        "A0 86 A8 40 58 30 54 57 4B 2D 31",  # the marker, one character short of column 32
        "   ",
        frame(ramp()),
    ]
    return {"other_stations": lines(seq)}


def case_ties():
    # Channel 19 values exactly halfway between two 15-digit texts, the 15th digit even:
    # rounded half to even, as the exact value of the double is rounded.
    return {"general_text_ties": lines(frame(word(63, w)) for w in
                                       [0x49BB, 0x4BAF, 0x7E77, 0x8189, 0xB645])}


def write_logs():
    cases = {}
    for make in [case_line_ends, case_marker_columns, case_escapes, case_odd_lengths,
                 case_short_lines, case_non_hex, case_channel_edges, case_byte_sweep,
                 case_other_stations, case_ties]:
        cases.update(make())
    cases["empty"] = ""
    cases["only_line_ends"] = "\r\n\n\r\r\n"
    for name, text in cases.items():
        with open(os.path.join(DATA, name + ".log"), "wb") as f:
            f.write(text.encode("ascii"))


def write_expected():
    for name in sorted(os.listdir(DATA)):
        if not name.endswith(".log"):
            continue
        path = os.path.join(DATA, name)
        rows = reference.decode_logs([path])
        for p, row in enumerate(rows, 1):
            for n, x in enumerate(reference.convert(row)):
                if reference.tie_at_15_digits(x) and "ties" not in name:
                    print("warning: %s packet %d channel %d lies on a 15-digit tie" % (name, p, n))
        with open(path[:-4] + ".expected.csv", "wb") as f:
            f.write(reference.csv_text(rows).encode("latin-1"))
        print("%s: %d packets" % (name, len(rows)))


if __name__ == "__main__":
    if sys.argv[1:] != ["--expected"]:
        write_logs()
    write_expected()
