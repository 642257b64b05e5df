// The demos' window icon: PNG bytes drawn by the data generator and built into each program.
#pragma once

/// Registers the demos' icon under the integer id 1; the value to give State_Icon.
const char* RegisterDemoIcon();
