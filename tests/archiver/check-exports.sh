#!/bin/sh
# Fails unless the library exports exactly its two C entries.
set -e
exported=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$exported" != "Unlha UnlhaGetRunning " ]; then
    echo "unexpected exports: $exported" >&2
    exit 1
fi
