// What several checks share: random arrow parameters drawn from the description, the
// whole document written out for comparison, and the module loaded for one case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "host.h"
#include "plugin_session.h"
#include "value_text.h"

namespace kvcheck {

struct ParameterEdit {
  std::int32_t id = 0;
  std::string symbol;
  kvhost::Value value;
};

// A random value for every editable arrow parameter (reals, longs and bools of the
// description), inside the description's range. With degenerate, some reals are zero or
// negative, as a user's typing or an old preset can make them.
std::vector<ParameterEdit> RandomArrowValues(const kvhost::Description& description,
                                             CheckContext& context, bool degenerate);
// The values as NAME=VALUE text, for failure messages.
std::string EditsText(const std::vector<ParameterEdit>& edits);
// Writes the values straight into node's container (no undo, no message).
void WriteValues(KvNode* node, const std::vector<ParameterEdit>& edits);

// The document as text: the tree in order with every object's type, serial and
// container, one line per object. Two documents are the same exactly when their texts are.
// Without serials, objects are told apart by their place in the tree alone (links name
// their target's place), so that documents built alike compare the same.
std::string DocumentText(const KvDocument* doc, bool withSerials = true);
// The first line in which a and b differ, as "line N: <a> / <b>".
std::string FirstDifference(const std::string& a, const std::string& b);

// A new empty folder in the temporary folder for a check's files, named apart from those
// of every other run (the same seed may run twice at once).
std::filesystem::path NewScratchFolder(const std::string& what);

// A session on the plug-in folder; throws ToolError when the module does not start.
std::unique_ptr<kvtool::PluginSession> OpenSession(const CheckContext& context);

}  // namespace kvcheck
