#pragma once
// The Mengkeli code unit table: fixed outputs, look-ahead rules and their
// classes of following units, compiled once on first use.

#include "codec/unit_table.h"

namespace qorvel {

const UnitTable& MengkeliUnitTable();

}  // namespace qorvel
