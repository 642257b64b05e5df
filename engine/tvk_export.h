/// @file
/// The mark on the engine's public interface.
#pragma once

/// Marks the classes and functions a game may call. A shared build of the engine hides every
/// other symbol, so only what carries this mark is part of the library's interface.
#define TVK_API __attribute__((visibility("default")))
