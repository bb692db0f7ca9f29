// Preset files: one set of arrow settings in a big-endian binary file (suffix "kvp"), and
// the commands that save and load them through the host's file dialogs.
#pragma once

#include "keelvane.h"

// Writes the preset items of bc to an open, big-endian file. The results of the single
// writes are not examined: file errors are the file object's to report.
void WritePresetFile(BaseFile* file, const BaseContainer& bc);

// Reads a preset from an open, big-endian file, storing each value into scratch as soon as
// it is read. False at the first failed read; scratch then holds a partial result.
Bool ReadPresetFile(BaseFile* file, BaseContainer& scratch);

// Asks for a file name and writes the object's settings there. True when a file was
// opened and written.
Bool SavePreset(BaseObject* op);

// Asks for a preset file and applies it to the object with one change record in doc.
// True when a preset was read and applied; on false the object's parameters are unchanged.
Bool LoadPreset(ArrowObject* arrow, BaseObject* op, BaseDocument* doc);
