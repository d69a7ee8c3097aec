#!/usr/bin/env bash
# Checks the kernel image QMUB417K.sys: NT native subsystem, entry point DriverEntry, a
# checksum, imports only from the kernel, HAL, USBD and WMILIB, and none of the functions that
# Wine 8's kernel emulation only stubs (they raise an exception when called).
set -euo pipefail
image=${1:?usage: check-driver-image.sh QMUB417K.sys}
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
[ -f "$image" ] || { echo "no image at $image"; exit 1; }
headers=$("$objdump" -p "$image")
fail=0
grep -qE '^Subsystem\s+00000001' <<<"$headers" || { echo "subsystem is not NT native"; fail=1; }
grep -qE '^CheckSum\s+0*[1-9a-f]' <<<"$headers" || { echo "checksum is zero"; fail=1; }
entry=$(awk '/^AddressOfEntryPoint/ {print $2}' <<<"$headers")
base=$(awk '/^ImageBase/ {print $2}' <<<"$headers")
entry_va=$(printf '%016x' $((16#$base + 16#$entry)))
symbols=$("${NM:-x86_64-w64-mingw32-nm}" "$image")
grep -qiE "^$entry_va [Tt] DriverEntry$" <<<"$symbols" ||
    { echo "entry point $entry_va is not DriverEntry"; fail=1; }
dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort -u)
grep -viqxE 'ntoskrnl\.exe|hal\.dll|usbd\.sys|wmilib\.sys' <<<"$dlls" && { echo "imports from" $dlls; fail=1; }
imports=$(awk '/Import Tables/,/Export Tables|^The Function Table/' <<<"$headers" |
    awk 'NF==3 && $2 ~ /^[0-9]+$/ {print $3}')
[ -n "$imports" ] || { echo "no imports found"; fail=1; }
for stub in IoCsqInsertIrp IoCsqRemoveIrp IoCsqRemoveNextIrp IoForwardIrpSynchronously \
    IoSetCompletionRoutineEx PoRequestPowerIrp IoWriteErrorLogEntry IoWMIWriteEvent \
    IoInvalidateDeviceState IoReportTargetDeviceChange KeRemoveQueueDpc KeSynchronizeExecution \
    ExInterlockedInsertHeadList ExInterlockedInsertTailList; do
    if grep -qx "$stub" <<<"$imports"; then echo "imports $stub, a stub under Wine"; fail=1; fi
done
[ $fail -eq 0 ] && echo "ok: native, DriverEntry, imports from" $dlls
exit $fail
