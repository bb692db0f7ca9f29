// Pl: registration of descriptions and object plug-ins.
#include "console.h"
#include "host.h"
#include "host_strings.h"
#include "resources.h"

namespace kvhost {
namespace {


struct Registry {
  std::map<std::int32_t, std::unique_ptr<PluginEntry>> plugins;
  std::map<std::int32_t, std::string> descriptions;
};

Registry& State() {
  static Registry registry;
  return registry;
}

bool RegisterDescription(int32_t id, const KvString* name, const KvResource* res) {
  const std::string_view text = StringText(name);
  if (text.empty() || res == nullptr || !HasDescription(res, text)) return false;
  State().descriptions[id] = std::string(text);
  return true;
}

bool RegisterObjectPlugin(int32_t pluginType, int32_t id, const KvString* name,
                          const KvObjectPluginRecord* record, int32_t recordSize) {
  if (pluginType != KV_PLUGINTYPE_OBJECT || record == nullptr ||
      recordSize < static_cast<int32_t>(sizeof(KvObjectPluginRecord))) {
    ReportHostError("RegisterObjectPlugin " + std::to_string(id) +
                    ": not an object plug-in record of the host's size");
    return false;
  }
  if (State().plugins.count(id) != 0) {
    ReportHostError("RegisterObjectPlugin " + std::to_string(id) + ": id already registered");
    return false;
  }
  auto entry = std::make_unique<PluginEntry>();
  entry->pluginType = pluginType;
  entry->id = id;
  entry->name = std::string(StringText(name));
  entry->record = *record;
  entry->description = std::string(StringText(record->description));
  entry->record.description = nullptr;  // the module's string is not kept past the call
  entry->record.icon = nullptr;
  if (record->icon != nullptr) entry->icon = *record->icon;
  State().plugins[id] = std::move(entry);
  return true;
}

}  // namespace

KvPluginTable* PluginTable() {
  static KvPluginTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvPluginTable)},
      .RegisterDescription = RegisterDescription,
      .RegisterObjectPlugin = RegisterObjectPlugin,
  };
  return &table;
}

const PluginEntry* FindPluginEntry(std::int32_t id) {
  const auto it = State().plugins.find(id);
  return it != State().plugins.end() ? it->second.get() : nullptr;
}

const PluginEntry* FindPlugin(std::int32_t id) { return FindPluginEntry(id); }

std::vector<const PluginEntry*> RegisteredPlugins() {
  std::vector<const PluginEntry*> out;
  for (const auto& entry : State().plugins) out.push_back(entry.second.get());
  return out;
}

std::optional<std::string> RegisteredDescription(std::int32_t id) {
  const auto it = State().descriptions.find(id);
  if (it == State().descriptions.end()) return std::nullopt;
  return it->second;
}

void UnregisterPlugin(std::int32_t id) {
  const PluginEntry* plugin = FindPluginEntry(id);
  if (plugin != nullptr) ReleasePluginNodes(plugin);
  State().plugins.erase(id);
  State().descriptions.erase(id);
}

void ClearPlugins() {
  std::vector<std::int32_t> ids;
  for (const auto& entry : State().plugins) ids.push_back(entry.first);
  for (std::int32_t id : ids) UnregisterPlugin(id);
  State().descriptions.clear();
}

// The plug-in's code is about to go away: its objects lose their plug-in data (through
// the plug-in's destructor) and become plain nodes of their type.
void ReleasePluginNodes(const PluginEntry* plugin) {
  ForEachLiveNode(
      [](KvNode* node, void* context) {
        if (node->plugin != context) return;
        if (node->pluginData != nullptr && node->plugin->record.Destructor != nullptr) {
          node->plugin->record.Destructor(node->pluginData);
        }
        node->pluginData = nullptr;
        node->plugin = nullptr;
      },
      const_cast<PluginEntry*>(plugin));
}

}  // namespace kvhost
