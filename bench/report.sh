#!/bin/sh
# The benchmark report (bench/report.py, which says what it measures):
#   bench/report.sh [--quick] [--limit SECONDS] [--build DIR] [--previous FILE] [--beside DIR] [PROGRAM...]
exec python3 "$(dirname "$0")/report.py" "$@"
