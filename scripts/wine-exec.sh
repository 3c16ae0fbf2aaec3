#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the project's prefix.
source "$(dirname "$0")/env.sh"
exec wine "$@"
