# Sourced by bootstrap.sh and without_32bit.sh: a 96-byte static i386
# program (exit status 42, no loader, no library) that tells by running
# whether this host's kernel executes 32-bit programs at all.

# The probe's path under the repository's build folder. It is written once
# and run from there, so that without_32bit.sh can cover it as it covers
# Wine's 32-bit loader.
vorsant_i386_probe_path() {
  echo "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/host/i386-probe"
}

vorsant_write_i386_probe() {
  mkdir -p "$(dirname "$1")"
  # ELF header, one loadable segment at 0x08048000, then
  # mov eax, 1; mov ebx, 42; int 0x80 (exit(42)).
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$1"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$1"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$1"
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$1"
  printf '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' >>"$1"
  printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$1"
  chmod 755 "$1"
}

# 0 when this host executes 32-bit programs.
vorsant_host_runs_i386() {
  local probe
  probe=$(vorsant_i386_probe_path)
  [ -f "$probe" ] || vorsant_write_i386_probe "$probe"
  "$probe" >/dev/null 2>&1
  [ $? -eq 42 ]
}
