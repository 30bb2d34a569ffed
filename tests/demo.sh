#!/usr/bin/env bash
# The unattended upload to the emulated enclosure. Not built yet.
echo "The demo upload is not built yet." >&2
exit 1
