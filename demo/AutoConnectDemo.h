#pragma once
// The demo's Auto Connect part: the add/edit dialog on a HART transmitter, a scripted user who
// presses Auto Connect, and the simulated Quennet started by the dialog as a program of its own.

#include <filesystem>

#include "collection/Txms.h"

/// Opens the dialog on the collection's first type-3 transmitter and prints the exchange with
/// the simulated Quennet, whose drive C: lies in the session folder.
void RunAutoConnectDemo(vq::Txms& txms, const std::filesystem::path& folder);
