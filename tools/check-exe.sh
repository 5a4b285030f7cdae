#!/usr/bin/env bash
# Checks that each given exe is what we ship: a 32-bit GUI program for
# Windows XP (subsystem 5.01) with its manifest, importing only Windows
# system DLLs and no function that Windows XP lacks.
set -euo pipefail
objdump=i686-w64-mingw32-objdump

allowed_dlls='^(ADVAPI32|COMCTL32|COMDLG32|GDI32|KERNEL32|msvcrt|OLE32|OLEAUT32|SHELL32|USER32)\.dll$'
# Functions new after Windows XP SP3 that a toolchain or a careless call
# could pull in; the program looks such functions up at run time instead.
post_xp='GetTickCount64|InitializeCriticalSectionEx|InitializeSRWLock|AcquireSRWLock|ReleaseSRWLock|TryAcquireSRWLock|InitializeConditionVariable|SleepConditionVariable|WakeAllConditionVariable|WakeConditionVariable|InitOnceExecuteOnce|InitOnceBeginInitialize|CreateEventEx|CreateMutexEx|CreateSemaphoreEx|FlsAlloc|FlsGetValue|FlsSetValue|FlsFree|GetFinalPathNameByHandle|CompareStringEx|LCMapStringEx|GetLocaleInfoEx|GetUserDefaultLocaleName|LocaleNameToLCID|CreateSymbolicLink|GetSystemTimePreciseAsFileTime|GetCurrentProcessorNumber|SetDefaultDllDirectories|AddDllDirectory|RegGetValue|RegDeleteKeyEx|RegDeleteTree|RegSetKeyValue|GetDpiForWindow|GetDpiForSystem|SetProcessDPIAware|SetProcessDpiAwareness|SetThreadDpiAwarenessContext|ChangeWindowMessageFilter|ShutdownBlockReasonCreate|GetErrorMode|QueryFullProcessImageName|Wow64DisableWow64FsRedirection|IsWow64Process'

fail() { echo "check-exe: $exe: $*" >&2; status=1; }
status=0
for exe in "$@"; do
  headers=$($objdump -p "$exe")
  grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit PE"
  grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not the GUI subsystem"
  grep -qE '^MajorSubsystemVersion[[:space:]]+5$' <<<"$headers" && grep -qE '^MinorSubsystemVersion[[:space:]]+1$' <<<"$headers" ||
    fail "subsystem version is not 5.01"
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
  bad=$(grep -viE "$allowed_dlls" <<<"$dlls" || true)
  [ -z "$bad" ] || fail "imports from DLLs outside the allow-list: $(echo $bad)"
  functions=$(awk '/DLL Name:/ {inside=1} inside && NF >= 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$headers")
  newer=$(grep -xE "($post_xp)[AW]?" <<<"$functions" || true)
  [ -z "$newer" ] || fail "imports functions Windows XP lacks: $(echo $newer)"
  grep -qa 'requireAdministrator' "$exe" || fail "no manifest with requireAdministrator"
  grep -qa 'Microsoft.Windows.Common-Controls' "$exe" || fail "manifest lacks common controls 6"
  [ $status -eq 0 ] && echo "check-exe: $(basename "$exe"): PE32 GUI, subsystem 5.01, manifest, $(wc -l <<<"$dlls") system DLLs, no post-XP imports"
done
exit $status
