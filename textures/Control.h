// Test control of the picture objects. ResetForTests returns the module-wide
// picture state to start-up: no sprite texture failures, full-size sprites,
// the stand-in services of PictureServices.h at their defaults, and frame
// tables read from sprite files.
#pragma once

namespace lumiva::textures {

void ResetForTests();

// While set, sprites cannot read their frame table from the file and open
// in memory mode from the host library's header block.
void SetSprFrameTableReadFails(bool fails);
bool SprFrameTableReadFails();

}  // namespace lumiva::textures
