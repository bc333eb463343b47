#!/usr/bin/env python3
"""Reference decoder for the golden files: prints the CSV text of one load of the given logs.

Written apart from the C++ core and kept literal: line ends are rewritten, the escapes undone by
replace-all passes, the byte loop runs pair by pair, and each value's text comes from the exact
decimal value of its double, rounded to 15 significant digits.

    reference.py LOG...
"""

import sys
from decimal import ROUND_HALF_EVEN, Context, Decimal

MARKER = "58 30 54 57 4B 2D 31"
# In this order, each over the whole line; the blanks go last.
PASSES = [("D7 DF", "FF"), ("D7 D8", "F8"), ("D7 D9", "F9"), ("D7 DA", "FA"), ("D7 DE", "FB"),
          ("D7 D6", "D7"), (" ", "")]
CAPTIONS = [
    "System time", "RAAC", "Avg. Current", "Temp", "Volts", "Inst. Current",
    "RAAC", "Avg. Current", "Temp", "Volts", "Inst. Current",
    "SA1 ( +X )", "SA2 ( -X )", "SA3 ( -Y )", "SA4 ( +Y )", "SA5 ( -Z )", "SA6 ( +Z )",
    "3.3V Reg. Cur", "5V Reg Cur", "3.3V Reg Volts", "5V Reg Volts",
    "3.3V Reg Temp", "5V Reg Temp", "Controller Temp", "Amplifier Temp",
    "RSSI [dB]", "File System Pointer", "Failed Packet Count", "Comm RX Count",
    "Subsystem Status", "Label5",
]


def log_lines(data):
    """CR LF, CR and LF each end a line; the last line needs no line end."""
    lines = data.decode("latin-1").replace("\r\n", "\n").replace("\r", "\n").split("\n")
    if lines[-1] == "":
        lines.pop()
    return lines


def hex_value(pair):
    """The leading hex digits of a pair; none gives 0."""
    value = 0
    for ch in pair:
        if ch not in "0123456789ABCDEFabcdef":
            break
        value = value * 16 + int(ch, 16)
    return value


def packet_bytes(line):
    for old, new in PASSES:
        line = line.replace(old, new)
    last = round(len(line) / 2)  # half to even
    if last > 150:
        sys.exit("line too long")
    row = [0.0] * 151
    for i in range(last + 1):
        row[i] = float(hex_value(line[2 * i:2 * i + 2]))
    return row


def channels(b):
    """The 31 values of one packet, every formula evaluated left to right in doubles."""
    def W(k): return b[k] * 256 + b[k + 1]
    def S(k): return W(k) - 65536 if W(k) > 32768 else W(k)
    def L(k): return (int(W(k)) & 0x7FFF) / 32
    def D(k): return b[k] * 16777216 + b[k + 1] * 65536 + b[k + 2] * 256 + b[k + 3]
    def A(k): return b[k] * 3.3 / 1024
    def temp(k): return L(k) * 0.125 if W(k) <= 32768 else L(k) * -0.125
    def rssi(k): return (b[k] + 256 if b[k] < 116 else b[k]) * 3.3 / 1024 * -51.3 - 49.2

    return [D(17), W(35), S(37) * 1.5625 / 20, temp(39), L(41) * 4.88 / 1000,
            (S(43) / 2) * 1.5625 / 20, W(45), S(47) * 1.5625 / 20, temp(49),
            L(51) * 4.88 / 1000, (S(53) / 2) * 1.5625 / 20] + \
           [A(k) / (1e-3 * 5.1) for k in range(55, 61)] + \
           [A(61) / (1e-3 * 3.4), A(62) / (1e-3 * 3.4), S(63) * 3.3 / 1024 * 1.67,
            S(65) * 3.3 / 1024 * 2.5, A(67) / (1e-3 * 2.67) - 273.15,
            A(68) / (1e-3 * 2.67) - 273.15, A(69) * 1000 - 273.15, A(70) * 1000 - 273.15,
            rssi(71), W(72), S(74), D(76), b[80], S(81)]


def general_text(x):
    """Up to 15 significant digits, no trailing zeros; exponent below 1E-04 and from 1E+15."""
    if x == 0:
        return "0"
    d = Context(prec=15, rounding=ROUND_HALF_EVEN).plus(Decimal(float(x)))
    sign, digits, _ = d.as_tuple()
    digits = "".join(map(str, digits)).rstrip("0")
    e = d.adjusted()
    minus = "-" if sign else ""
    if e < -4 or e >= 15:
        mantissa = digits[0] + ("." + digits[1:] if len(digits) > 1 else "")
        return "%s%sE%s%02d" % (minus, mantissa, "-" if e < 0 else "+", abs(e))
    if e < 0:
        return minus + "0." + "0" * (-e - 1) + digits
    whole, fraction = digits[:e + 1].ljust(e + 1, "0"), digits[e + 1:]
    return minus + whole + ("." + fraction if fraction else "")


def csv_text(paths):
    """The header, then a line per telemetry line of the logs; a fresh row for every packet."""
    out = "".join(c + ";" for c in CAPTIONS) + "\r\n"
    count = 0
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        for line in log_lines(data):
            if len(line) < 32 or line[12:32] != MARKER:
                continue
            count += 1
            if count > 5000:
                sys.exit("more than 5000 packets")
            out += "".join(general_text(v) + ";" for v in channels(packet_bytes(line))) + "\r\n"
    return out


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    sys.stdout.buffer.write(csv_text(sys.argv[1:]).encode("latin-1"))
