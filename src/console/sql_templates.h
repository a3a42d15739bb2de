#pragma once

// The console's SQL templates, one a line in the text file "SQL模板.txt" beside the program, and
// the import of SQL text from a file.

#include <string>
#include <vector>

#include "app/app_state.h"
#include "base/bytes.h"

namespace torvane {

class SqlDialog;

// The template file: run directory + "/SQL模板.txt", or <prefix>/share/torvane/SQL模板.txt for an
// installed program (see ProgramPlaces).
std::string TemplateFilePath();

// The templates a template file's bytes hold: the text up to the first zero byte, cut at every
// CR LF (a lone CR or LF is part of its line); a separator at the very end adds no empty line.
std::vector<std::string> TemplateLines(const Bytes& file);

// Lays the template list over the strip left of the SQL text, hidden, and fills it from the file
// at `path` (titles in row 0, then one numbered row a template). A missing, unreadable or empty
// file gives the titles alone, without a message.
void LoadTemplates(SqlDialog& dialog, const std::string& path);

// Puts the template of the list's current row into the SQL text, sets the kind from it and hides
// the list; does nothing without a current row.
void ApplyTemplate(SqlDialog& dialog);

// Asks for a file and puts its text (up to the first zero byte) into the SQL text. A file that
// cannot be read is reported and leaves the SQL text as it was.
void ImportSqlFile(App& app, SqlDialog& dialog);

}  // namespace torvane
