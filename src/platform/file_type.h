#pragma once

// The registration of the program as the opener of "*.sdb" files.

namespace torvane {

// Writes the icon file "ZuveviRE.ico" where ProgramPlaces puts it (beside the program) when it is
// missing, then the four file-type values of the registry stand-in and the desktop's MIME package
// and desktop entry. An installed program whose install holds a desktop entry writes no entry of
// its own under the user's folder, and removes one it wrote there before (it would hide the
// install's). Failures are silent; without an icon file nothing is registered.
void RegisterFileType();

}  // namespace torvane
