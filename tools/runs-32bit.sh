#!/usr/bin/env bash
# Exits 0 where this kernel runs 32-bit x86 programs. Kernels without IA-32
# emulation refuse them ("Exec format error"), and no 32-bit Wine runs there.
# The probe is the smallest i386 ELF program: _exit(42) through int 0x80, run by the kernel itself.
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/runs32.XXXXXX")
trap 'rm -f "$probe"' EXIT
python3 - "$probe" <<'PY'
import struct, sys
code = bytes([0xbb, 42, 0, 0, 0, 0xb8, 1, 0, 0, 0, 0xcd, 0x80])  # mov ebx,42; mov eax,1; int 0x80
base, start = 0x08048000, 52 + 32
header = b"\x7fELF" + bytes([1, 1, 1, 0]) + bytes(8)
header += struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + start, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, start + len(code), start + len(code), 5, 0x1000)
open(sys.argv[1], "wb").write(header + segment + code)
PY
chmod +x "$probe"
"$probe" 2>/dev/null
[ $? -eq 42 ]
