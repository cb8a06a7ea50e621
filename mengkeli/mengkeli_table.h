#pragma once
// The Mengkeli code unit table: fixed outputs, look-ahead rules and their
// classes of following units, compiled once on first use.

#include "mengkeli/unit_table.h"

namespace qorvel {

const UnitTable& MengkeliUnitTable();

}  // namespace qorvel
