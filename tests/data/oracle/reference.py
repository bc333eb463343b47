#!/usr/bin/env python3
"""Reference decoder for the golden files: log files in, the CSV text of one load out.

Written apart from the C++ core and on purpose in a plainer, more literal style: lines are split
by rewriting their ends, escapes are undone by six replace-all passes and a blank removal, the
byte loop runs index by index through a HexToDec that follows its prefix rules, and the number
text is built from the exact decimal value of the double.

    reference.py LOG...          print the CSV of one load of the logs to standard output
    reference.py --self-test     check the oracle against hand-worked values
"""

import os
import sys
from decimal import ROUND_HALF_EVEN, Decimal, localcontext

MARKER = "58 30 54 57 4B 2D 31"
MAX_PACKETS = 5000
LAST_POSITION = 150

# Applied one after the other, each over the whole line; D7 D6 comes last so the D7 it
# produces never starts another escape.
ESCAPES = [
    ("D7 DF", "FF"),
    ("D7 D8", "F8"),
    ("D7 D9", "F9"),
    ("D7 DA", "FA"),
    ("D7 DE", "FB"),
    ("D7 D6", "D7"),
]

CAPTIONS = [
    "System time", "RAAC", "Avg. Current", "Temp", "Volts", "Inst. Current",
    "RAAC", "Avg. Current", "Temp", "Volts", "Inst. Current",
    "SA1 ( +X )", "SA2 ( -X )", "SA3 ( -Y )", "SA4 ( +Y )", "SA5 ( -Z )", "SA6 ( +Z )",
    "3.3V Reg. Cur", "5V Reg Cur", "3.3V Reg Volts", "5V Reg Volts",
    "3.3V Reg Temp", "5V Reg Temp", "Controller Temp", "Amplifier Temp",
    "RSSI [dB]", "File System Pointer", "Failed Packet Count", "Comm RX Count",
    "Subsystem Status", "Label5",
]


class DecodeError(Exception):
    pass


def split_lines(data):
    """CR LF, CR and LF each end a line; LF CR is two ends; the last line needs no end."""
    text = data.decode("latin-1")
    text = text.replace("\r\n", "\n").replace("\r", "\n")
    if text == "":
        return []
    lines = text.split("\n")
    if text.endswith("\n"):
        lines.pop()
    return lines


def is_telemetry_line(line):
    return len(line) >= 32 and line[12:32] == MARKER


def unescape(line):
    for old, new in ESCAPES:
        line = line.replace(old, new)
    return line.replace(" ", "")


HEX_DIGITS = "0123456789ABCDEFabcdef"


def amp_h_value(text):
    """The value of a text that starts with "&H": its leading hex digits, 0 when none."""
    digits = ""
    for ch in text[2:]:
        if ch not in HEX_DIGITS:
            break
        digits += ch
    if digits == "":
        return 0
    value = int(digits, 16)
    if value > 0xFFFFFFFF:
        return 0
    return value - (1 << 32) if value >= (1 << 31) else value


def hex_to_dec(text):
    head = text[:2].upper()
    if head == "0X":
        return amp_h_value("&H" + text[2:])
    if head != "&H":
        return amp_h_value("&H" + text)
    return amp_h_value(text)


def last_index(length):
    """length / 2 rounded to a whole number, a half going to the even neighbour."""
    if length % 2 == 0:
        return length // 2
    lower = (length - 1) // 2
    return lower if lower % 2 == 0 else lower + 1


def store_bytes(shown, row):
    n = last_index(len(shown))
    if n > 32767:
        raise DecodeError("line of %d characters: last index overflows" % len(shown))
    for i in range(n + 1):
        value = hex_to_dec(shown[2 * i:2 * i + 2])
        if i > LAST_POSITION:
            raise DecodeError("line reaches byte position %d" % i)
        row[i] = float(value)


def decode_logs(paths):
    """One load from a fresh program: a new row per packet, all positions starting at 0."""
    rows = []
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        for line in split_lines(data):
            if not is_telemetry_line(line):
                continue
            if len(rows) >= MAX_PACKETS:
                raise DecodeError("more than %d packets" % MAX_PACKETS)
            row = [0.0] * (LAST_POSITION + 1)
            rows.append(row)
            store_bytes(unescape(line), row)
    return rows


def convert(b):
    """The 31 channels of one packet's bytes, each formula left to right in doubles."""

    def W(k):
        return b[k] * 256 + b[k + 1]

    def S(k):
        w = W(k)
        return w - 65536 if w > 32768 else w

    def L(k):
        return (int(W(k)) & 0x7FFF) / 32

    def D(k):
        return b[k] * 16777216 + b[k + 1] * 65536 + b[k + 2] * 256 + b[k + 3]

    def A(k):
        return b[k] * 3.3 / 1024

    def temp(k):
        return L(k) * 0.125 if W(k) <= 32768 else L(k) * -0.125

    def rssi(k):
        r = b[k] + 256 if b[k] < 116 else b[k]
        return r * 3.3 / 1024 * (-51.3) - 49.2

    v = [0.0] * 31
    v[0] = D(17)
    v[1] = W(35)
    v[2] = S(37) * 1.5625 / 20
    v[3] = temp(39)
    v[4] = L(41) * 4.88 / 1000
    v[5] = (S(43) / 2) * 1.5625 / 20
    v[6] = W(45)
    v[7] = S(47) * 1.5625 / 20
    v[8] = temp(49)
    v[9] = L(51) * 4.88 / 1000
    v[10] = (S(53) / 2) * 1.5625 / 20
    for ch, k in zip(range(11, 17), range(55, 61)):
        v[ch] = A(k) / (1e-3 * 5.1)
    v[17] = A(61) / (1e-3 * 3.4)
    v[18] = A(62) / (1e-3 * 3.4)
    v[19] = S(63) * 3.3 / 1024 * 1.67
    v[20] = S(65) * 3.3 / 1024 * 2.5
    v[21] = A(67) / (1e-3 * 2.67) - 273.15
    v[22] = A(68) / (1e-3 * 2.67) - 273.15
    v[23] = A(69) * 1000 - 273.15
    v[24] = A(70) * 1000 - 273.15
    v[25] = rssi(71)
    v[26] = W(72)
    v[27] = S(74)
    v[28] = D(76)
    v[29] = b[80]
    v[30] = S(81)
    return [float(x) for x in v]


def general_text(x, separator="."):
    """Up to 15 significant digits, no trailing zeros, exponent below 1E-04 and from 1E+15."""
    x = float(x)
    if x == 0:
        return "0"
    exact = Decimal(x)
    with localcontext() as ctx:
        ctx.prec = 15
        ctx.rounding = ROUND_HALF_EVEN
        rounded = +exact
    sign, digits, exponent = rounded.as_tuple()
    digits = "".join(str(d) for d in digits).rstrip("0") or "0"
    # Scientific exponent: the value is d.ddd times 10 to the power sci.
    sci = rounded.adjusted()
    minus = "-" if sign else ""
    if sci < -4 or sci >= 15:
        mantissa = digits[0]
        if len(digits) > 1:
            mantissa += separator + digits[1:]
        return "%s%sE%s%02d" % (minus, mantissa, "-" if sci < 0 else "+", abs(sci))
    if sci < 0:
        return minus + "0" + separator + "0" * (-sci - 1) + digits
    whole = digits[:sci + 1].ljust(sci + 1, "0")
    fraction = digits[sci + 1:]
    return minus + whole + (separator + fraction if fraction else "")


def tie_at_15_digits(x):
    """True when x lies exactly halfway between two 15-digit values and halves to even and
    halves away from zero would round it differently."""
    exact = Decimal(float(x))
    if exact == 0:
        return False
    sign, digits, exponent = exact.as_tuple()
    return (len(digits) > 15 and digits[15] == 5 and all(d == 0 for d in digits[16:]) and
            digits[14] % 2 == 0)


def csv_text(rows, separator="."):
    out = "".join(c + ";" for c in CAPTIONS) + "\r\n"
    for row in rows:
        out += "".join(general_text(v, separator) + ";" for v in convert(row)) + "\r\n"
    return out


def packet(values):
    """A row from {position: byte}, other positions 0."""
    row = [0.0] * (LAST_POSITION + 1)
    for k, v in values.items():
        row[k] = float(v)
    return row


def word_at(k, w):
    return {k: w >> 8, k + 1: w & 0xFF}


def self_test():
    failures = []

    def check(what, got, want):
        if got != want:
            failures.append("%s: got %r, want %r" % (what, got, want))

    def close(what, got, want, tol):
        if abs(got - want) > tol:
            failures.append("%s: got %r, want about %r" % (what, got, want))

    # Line ends.
    for data, want in [
        (b"", []),
        (b"a\r\nb\r\n", ["a", "b"]),
        (b"a\nb", ["a", "b"]),
        (b"a\rb\r", ["a", "b"]),
        (b"a\n\rb", ["a", "", "b"]),
        (b"a\r\r\nb", ["a", "", "b"]),
        (b"\r\n", [""]),
        (b"a\r\n\nb\rc", ["a", "", "b", "c"]),
    ]:
        check("split_lines(%r)" % data, split_lines(data), want)

    # The marker test on the line as read.
    header = "A0 B2 C4 D6 "
    for line, want in [
        (header + MARKER, True),
        (header + MARKER + " 00", True),
        (" " + header + MARKER, False),
        (header + MARKER.lower(), False),
        (header + MARKER[:-1], False),
        ("D7 DF B2 C4 D6 " + MARKER, False),
        ("D7 DF B2 C4 " + MARKER, True),
    ]:
        check("is_telemetry_line(%r)" % line, is_telemetry_line(line), want)

    # Un-escaping.
    for text, want in [
        ("D7 DF", "FF"), ("D7 D8", "F8"), ("D7 D9", "F9"), ("D7 DA", "FA"),
        ("D7 DE", "FB"), ("D7 D6", "D7"),
        ("D7 D6 DF", "D7DF"), ("D7 D6 D8", "D7D8"),
        ("D7 D7 DF", "D7FF"), ("D7 D7 D6 DF", "D7D7DF"), ("D7 D6 D6", "D7D6"),
        ("D7 DD", "D7DD"), ("01 D7", "01D7"), ("D7  DF", "D7DF"), ("d7 df", "d7df"),
    ]:
        check("unescape(%r)" % text, unescape(text), want)

    # HexToDec and its prefixes.
    for text, want in [
        ("4B", 75), ("1f", 31), ("7", 7), ("4G", 4), ("ZZ", 0), ("G4", 0), ("", 0),
        ("0X", 0), ("0x1F", 31), ("&H1F", 31), ("&hff", 255), ("FF", 255), ("&H", 0),
        ("FFFFFFFF", -1), ("100000000", 0),
    ]:
        check("hex_to_dec(%r)" % text, hex_to_dec(text), want)

    # The byte loop's last index and what it writes.
    for length, want in [(0, 0), (1, 0), (3, 2), (5, 2), (7, 4), (22, 11), (301, 150),
                         (302, 151)]:
        check("last_index(%d)" % length, last_index(length), want)
    row = [9.0] * 151
    store_bytes("0A0B7", row)  # k = 2, even: position 2 gets the single digit
    check("odd length, k even", row[:4], [10.0, 11.0, 7.0, 9.0])
    row = [9.0] * 151
    store_bytes("0A0B0C7", row)  # k = 3, odd: position 3 the digit, position 4 zero
    check("odd length, k odd", row[:6], [10.0, 11.0, 12.0, 7.0, 0.0, 9.0])
    row = [9.0] * 151
    store_bytes("0A0B", row)
    check("even length", row[:4], [10.0, 11.0, 0.0, 9.0])
    try:
        store_bytes("00" * 151, [0.0] * 151)
        failures.append("a line reaching position 151 was stored")
    except DecodeError:
        pass
    store_bytes("00" * 150 + "1", [0.0] * 151)

    # Channel values worked out by hand.
    def ch(n, values):
        return convert(packet(values))[n]

    exact = [
        ("ch2 of 0x8000", 2, word_at(37, 0x8000), 2560.0),
        ("ch2 of 0x8001", 2, word_at(37, 0x8001), -2559.921875),
        ("ch2 of 0xFFFF", 2, word_at(37, 0xFFFF), -0.078125),
        ("ch2 of 0x0100", 2, word_at(37, 0x0100), 20.0),
        ("ch5 of 0x0100", 5, word_at(43, 0x0100), 10.0),
        ("ch27 of 0x8000", 27, word_at(74, 0x8000), 32768.0),
        ("ch27 of 0x8001", 27, word_at(74, 0x8001), -32767.0),
        ("ch30 of 0xFFFF", 30, word_at(81, 0xFFFF), -1.0),
        ("ch1 of 0xFFFF", 1, word_at(35, 0xFFFF), 65535.0),
        ("ch3 of 0x1900", 3, word_at(39, 0x1900), 25.0),
        ("ch3 of 0x0020", 3, word_at(39, 0x0020), 0.125),
        ("ch3 of 0x8020", 3, word_at(39, 0x8020), -0.125),
        ("ch3 of 0x0000", 3, word_at(39, 0x0000), 0.0),
        ("ch3 of 0x8000", 3, word_at(39, 0x8000), 0.0),
        ("ch3 of 0x001F", 3, word_at(39, 0x001F), 0.12109375),
        ("ch8 of 0x8020", 8, word_at(49, 0x8020), -0.125),
        ("ch0 of 00 01 00 00", 0, {17: 0, 18: 1, 19: 0, 20: 0}, 65536.0),
        ("ch0 of FF FF FF FF", 0, {17: 255, 18: 255, 19: 255, 20: 255}, 4294967295.0),
        ("ch28 of FF FF FF FF", 28, {76: 255, 77: 255, 78: 255, 79: 255}, 4294967295.0),
        ("ch21 of 0", 21, {}, -273.15),
        ("ch24 of 0", 24, {}, -273.15),
        ("ch29 of 0xAB", 29, {80: 0xAB}, 171.0),
    ]
    for what, n, values, want in exact:
        check(what, ch(n, values), want)
    approx = [
        ("ch4 of 0x1234", 4, word_at(41, 0x1234), 0.71065, 1e-12),
        ("ch4 of 0xFFFF", 4, word_at(41, 0xFFFF), 4.99697, 1e-5),
        ("ch4 of 0x7FFF", 4, word_at(41, 0x7FFF), 4.99697, 1e-5),
        ("ch25 of 115", 25, {71: 115}, -110.53, 0.005),
        ("ch25 of 116", 25, {71: 116}, -68.38, 0.005),
        ("ch25 of 0", 25, {71: 0}, -91.52, 0.005),
        ("ch23 of 91", 23, {69: 91}, 20.11, 0.005),
        ("ch21 of 255", 21, {67: 255}, 34.63, 0.005),
    ]
    for what, n, values, want, tol in approx:
        close(what, ch(n, values), want, tol)
    check("ch4 of 0xFFFF equals 0x7FFF", ch(4, word_at(41, 0xFFFF)), ch(4, word_at(41, 0x7FFF)))
    check("ch4 of 0x1234 as text", general_text(ch(4, word_at(41, 0x1234))), "0.71065")
    check("ch2 of 0xFFFF as text", general_text(ch(2, word_at(37, 0xFFFF))), "-0.078125")

    # General number text.
    for x, want in [
        (0.0, "0"), (-0.0, "0"), (12.5, "12.5"), (0.25, "0.25"), (-0.078125, "-0.078125"),
        (4294967295.0, "4294967295"), (2560.0, "2560"), (-273.15, "-273.15"),
        (1.0 / 3, "0.333333333333333"), (2.0 / 3, "0.666666666666667"),
        (0.0001, "0.0001"), (0.00012345, "0.00012345"), (0.00001, "1E-05"),
        (-0.000015, "-1.5E-05"), (1.5e15, "1.5E+15"), (1e15, "1E+15"),
        (999999999999999.0, "999999999999999"), (9999999999999999.0, "1E+16"),
        (123456789012345678.0, "1.23456789012346E+17"), (1e100, "1E+100"),
        (1.23e-120, "1.23E-120"), (100.0, "100"), (0.1, "0.1"), (-1.0, "-1"),
    ]:
        check("general_text(%r)" % x, general_text(x), want)
    check("general_text separator", general_text(-2559.921875, ","), "-2559,921875")

    # No channel reaches the exponent form: every channel over every value of its input.
    # Some channel 19 values lie exactly halfway between two 15-digit texts; the golden logs
    # keep clear of them (the generator warns), since halves to even and away disagree there.
    smallest, largest = float("inf"), 0.0
    ties = set()
    words = [35, 37, 39, 41, 43, 45, 47, 49, 51, 53, 63, 65, 72, 74, 81]
    for w in range(1 << 16):
        values = {k: w & 0xFF for k in range(55, 72)}
        values[80] = w & 0xFF
        for k in words:
            values.update(word_at(k, w))
        for n, x in enumerate(convert(packet(values))):
            x = abs(x)
            if x != 0:
                smallest = min(smallest, x)
                largest = max(largest, x)
            if tie_at_15_digits(x):
                ties.add((n, w))
    if {n for n, w in ties} - {19}:
        failures.append("15-digit ties outside channel 19: %r" % sorted(ties))
    print("note: %d words of channel 19 give a value on a 15-digit tie" % len(ties))
    largest = max(largest, ch(0, {17: 255, 18: 255, 19: 255, 20: 255}))
    if not (smallest >= 1e-4 and largest < 1e15):
        failures.append("a channel reaches the exponent form: %r .. %r" % (smallest, largest))

    # A whole load, end to end.
    line = header + MARKER + " " + " ".join(["00"] * 24) + " 80 00"
    rows = [packet({})]
    store_bytes(unescape(line), rows[0])
    text = csv_text(rows)
    lines = text.split("\r\n")
    check("csv line count", len(lines), 3)
    check("csv header", lines[0], ";".join(CAPTIONS) + ";")
    check("csv row ch1 = 0x8000", lines[1].split(";")[1], "32768")
    check("csv row fields", lines[1].count(";"), 31)

    # The golden files carry the hand-worked values where the logs put them.
    data = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    for case, p, n, want in [
        ("channel_edges", 2, 2, "2560"), ("channel_edges", 2, 27, "32768"),
        ("channel_edges", 3, 2, "-2559.921875"), ("channel_edges", 4, 2, "-0.078125"),
        ("channel_edges", 4, 28, "4294967295"), ("channel_edges", 5, 2, "20"),
        ("channel_edges", 5, 5, "10"), ("channel_edges", 9, 3, "25"),
        ("channel_edges", 9, 4, "0.71065"), ("channel_edges", 9, 8, "0.125"),
        ("channel_edges", 9, 0, "65536"), ("channel_edges", 10, 3, "-0.125"),
        ("channel_edges", 10, 8, "0.12109375"), ("channel_edges", 10, 0, "4294967295"),
        ("channel_edges", 1, 21, "-273.15"), ("channel_edges", 1, 25, "-91.5225"),
        ("odd_lengths", 1, 29, "9"), ("odd_lengths", 3, 1, "3072"),
        ("odd_lengths", 6, 0, "2046885888"), ("escapes", 12, 29, "215"),
    ]:
        path = os.path.join(data, case + ".expected.csv")
        if not os.path.exists(path):
            failures.append("%s missing" % path)
            continue
        with open(path, "rb") as f:
            lines = f.read().decode("latin-1").split("\r\n")
        check("%s packet %d channel %d" % (case, p, n), lines[p].split(";")[n], want)
    for case, p, n, lo, hi in [("channel_edges", 9, 25, -110.54, -110.53),
                               ("channel_edges", 10, 25, -68.38, -68.37),
                               ("channel_edges", 11, 23, 20.11, 20.12),
                               ("channel_edges", 11, 21, 34.63, 34.64)]:
        with open(os.path.join(data, case + ".expected.csv"), "rb") as f:
            x = float(f.read().decode("latin-1").split("\r\n")[p].split(";")[n])
        if not lo <= x <= hi:
            failures.append("%s packet %d channel %d: %r" % (case, p, n, x))

    if failures:
        for f in failures:
            print("FAIL", f)
        return 1
    print("self-test passed")
    return 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        rows = decode_logs(argv[1:])
    except DecodeError as e:
        print("error: %s" % e, file=sys.stderr)
        return 1
    for row in rows:
        for n, x in enumerate(convert(row)):
            if tie_at_15_digits(x):
                print("warning: channel %d value %r lies on a 15-digit tie" % (n, x),
                      file=sys.stderr)
    sys.stdout.buffer.write(csv_text(rows).encode("latin-1"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
