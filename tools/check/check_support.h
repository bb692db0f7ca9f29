// What several checks share: random arrow parameters drawn from the description, where
// two documents' texts differ, and the module loaded for one case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "host.h"
#include "local_files.h"
#include "plugin_session.h"
#include "value_text.h"

namespace kvcheck {

// The check's own scratch folder: the run removes it, or keeps it when the check fails.
std::filesystem::path ScratchOf(const CheckContext& context);

// Names the step the check is in (see CheckContext::step), when anyone listens.
void Step(const CheckContext& context, const std::string& step);

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

// Where two document texts (kvhost::DocumentText) first differ: "object N (<name>): <a's
// value> / <b's value>", or the N-th object's lines when only one text has it.
std::string FirstDifference(const std::string& a, const std::string& b);

// The module of the plug-in folder loaded into a reset host, not yet started; null, with
// the result failed, when it does not load.
std::unique_ptr<kvhost::Module> LoadModule(const CheckContext& context, CheckResult& result);

// A session on the plug-in folder (or on folder); throws ToolError when the module does
// not start.
std::unique_ptr<kvtool::PluginSession> OpenSession(const CheckContext& context);
std::unique_ptr<kvtool::PluginSession> OpenSession(const CheckContext& context, const std::filesystem::path& folder);

// Random arrow values (RandomArrowValues) that a preset file, which stores reals as 32-bit
// floats, keeps exactly.
std::vector<ParameterEdit> PresetValues(kvtool::PluginSession& session, CheckContext& context);

}  // namespace kvcheck
