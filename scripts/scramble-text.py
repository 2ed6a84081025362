#!/usr/bin/env python3
"""Prints the stored (scrambled) form of a text as a C++ byte list.

The program keeps the texts of its start-up language box scrambled and
restores them with Descramble (src/app/UnitRunUtils.cpp). This is the
inverse: stored 1 = NOT plain 1; stored i = plain i XOR (NOT stored i-1),
on 8-bit codes of the UTF-8 text.

    scripts/scramble-text.py "Some text"
"""
import sys


def scramble(plain: bytes) -> bytes:
    stored = bytearray()
    for i, code in enumerate(plain):
        stored.append(~code & 0xFF if i == 0 else code ^ (~stored[i - 1] & 0xFF))
    return bytes(stored)


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    stored = scramble(sys.argv[1].encode("utf-8"))
    codes = [f"0x{b:02X}" for b in stored]
    for start in range(0, len(codes), 12):
        print("    " + ", ".join(codes[start:start + 12]) + ",")
    return 0


if __name__ == "__main__":
    sys.exit(main())
