#!/usr/bin/env bash
# The GL device under a virtual display with Mesa: the shared pixel suite (every scene the
# software device is tested on, drawn by both backends) and the engine's lost-device recovery
# on GL. Without a display these tests skip in the plain unit-test run.
set -euo pipefail
bindir=$1
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$bindir/tvk_tests" --gtest_filter='Backends/*:GlEngine*' --gtest_brief=1
