#!/usr/bin/env bash
# The folders are layers: core, intake, telemetry, export (the Qt-free core), then ui, then app.
# No folder may include a header of a folder above it, and the core includes no Qt header.
cd "$(dirname "$0")/.." || exit 2
layers=(core intake telemetry export ui app)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  above=$(IFS='|'; echo "${layers[*]:i+1}")
  [[ -z "$above" ]] && continue
  if grep -nE "#include \"($above)/" "${layers[i]}"/*.{h,cpp} 2>/dev/null; then status=1; fi
done
if grep -nE '#include <Q' core/* intake/* telemetry/* export/* 2>/dev/null; then status=1; fi
exit $status
