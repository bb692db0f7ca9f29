// Bc: parameter containers of typed values. A getter answers the caller's default for a
// missing id and for a value of another type (bool and int32 are distinct types).
//
// Links name their object by serial number. GetLink answers null once the object is gone:
// freed, or not in any document (removed and not reinserted, or never inserted); with a
// document given, also when the object is in another document.
#include <mutex>
#include <unordered_set>

#include "console.h"
#include "host.h"
#include "host_strings.h"

namespace kvhost {

bool SameValue(const StoredValue& a, const StoredValue& b) {
  if (a.index() != b.index()) return false;
  return std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        const T& y = std::get<T>(b);
        if constexpr (std::is_same_v<T, KvVector>) {
          return x.x == y.x && x.y == y.y && x.z == y.z;
        } else if constexpr (std::is_same_v<T, LinkValue>) {
          return x.serial == y.serial;
        } else {
          return x == y;
        }
      },
      a);
}

namespace {

template <typename T>
const T* Find(const KvContainer* c, int32_t id) {
  if (c == nullptr) return nullptr;
  const auto it = c->values.find(id);
  if (it == c->values.end()) return nullptr;
  return std::get_if<T>(&it->second);
}

void Put(KvContainer* c, int32_t id, StoredValue v) {
  if (c == nullptr) {
    ReportHostError("container write to a null container");
    return;
  }
  c->values[id] = std::move(v);
}

// Containers made through the table (not the objects' own), to catch foreign frees and to
// free what a module leaked at a reset.
// Modules may make them from several threads at once.
std::unordered_set<KvContainer*>& Made() {
  static std::unordered_set<KvContainer*> made;
  return made;
}

std::mutex& MadeLock() {
  static std::mutex lock;
  return lock;
}

KvContainer* Alloc() {
  if (!TryAllocate(AllocKind::Container)) return nullptr;
  auto* c = new KvContainer;
  const std::lock_guard<std::mutex> hold(MadeLock());
  Made().insert(c);
  return c;
}

void Free(KvContainer* c) {
  if (c == nullptr) return;
  bool made = false;
  {
    const std::lock_guard<std::mutex> hold(MadeLock());
    made = Made().erase(c) != 0;
  }
  if (!made) {
    ReportHostError("free of a container the table did not make (an object's own?)");
    return;
  }
  delete c;
  Release(AllocKind::Container);
}

void CopyTo(const KvContainer* src, KvContainer* dst) {
  if (dst == nullptr || src == dst) return;
  dst->values = src != nullptr ? src->values : decltype(dst->values){};
}

void Merge(KvContainer* dst, const KvContainer* src) {
  if (dst == nullptr || src == nullptr || src == dst) return;
  for (const auto& [id, v] : src->values) dst->values[id] = v;
}

int32_t GetType(const KvContainer* c, int32_t id) {
  NoteParameterRead(c, id);
  if (c == nullptr) return KV_VALUE_NONE;
  const auto it = c->values.find(id);
  if (it == c->values.end()) return KV_VALUE_NONE;
  return static_cast<int32_t>(it->second.index()) + 1;
}

bool Remove(KvContainer* c, int32_t id) { return c != nullptr && c->values.erase(id) > 0; }

double GetFloat(const KvContainer* c, int32_t id, double def) {
  NoteParameterRead(c, id);
  const double* v = Find<double>(c, id);
  return v != nullptr ? *v : def;
}

int32_t GetInt32(const KvContainer* c, int32_t id, int32_t def) {
  NoteParameterRead(c, id);
  const int32_t* v = Find<int32_t>(c, id);
  return v != nullptr ? *v : def;
}

bool GetBool(const KvContainer* c, int32_t id, bool def) {
  NoteParameterRead(c, id);
  const bool* v = Find<bool>(c, id);
  return v != nullptr ? *v : def;
}

KvVector GetVector(const KvContainer* c, int32_t id, KvVector def) {
  NoteParameterRead(c, id);
  const KvVector* v = Find<KvVector>(c, id);
  return v != nullptr ? *v : def;
}

KvString* GetString(const KvContainer* c, int32_t id, const KvString* def) {
  NoteParameterRead(c, id);
  const std::string* v = Find<std::string>(c, id);
  return NewString(v != nullptr ? std::string_view(*v) : StringText(def));
}

KvNode* GetLink(const KvContainer* c, int32_t id, KvDocument* doc, int32_t instanceOf) {
  NoteParameterRead(c, id);
  const LinkValue* v = Find<LinkValue>(c, id);
  if (v == nullptr || v->serial == 0) return nullptr;
  KvNode* node = LiveNode(v->serial);
  if (node == nullptr) return nullptr;
  KvDocument* home = DocumentOf(node);
  if (home == nullptr || (doc != nullptr && home != doc)) return nullptr;
  if (instanceOf != 0 && instanceOf != KV_TYPE_BASE && node->type != instanceOf) return nullptr;
  return node;
}

void SetFloat(KvContainer* c, int32_t id, double v) { Put(c, id, v); }
void SetInt32(KvContainer* c, int32_t id, int32_t v) { Put(c, id, v); }
void SetBool(KvContainer* c, int32_t id, bool v) { Put(c, id, v); }
void SetVector(KvContainer* c, int32_t id, KvVector v) { Put(c, id, v); }
void SetString(KvContainer* c, int32_t id, const KvString* v) {
  Put(c, id, std::string(StringText(v)));
}
void SetLink(KvContainer* c, int32_t id, KvNode* node) {
  Put(c, id, LinkValue{node != nullptr ? node->serial : 0});
}

}  // namespace

KvContainerTable* ContainerTable() {
  static KvContainerTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvContainerTable)},
      .Alloc = Alloc,
      .Free = Free,
      .CopyTo = CopyTo,
      .Merge = Merge,
      .GetType = GetType,
      .Remove = Remove,
      .GetFloat = GetFloat,
      .GetInt32 = GetInt32,
      .GetBool = GetBool,
      .GetVector = GetVector,
      .GetString = GetString,
      .GetLink = GetLink,
      .SetFloat = SetFloat,
      .SetInt32 = SetInt32,
      .SetBool = SetBool,
      .SetVector = SetVector,
      .SetString = SetString,
      .SetLink = SetLink,
  };
  return &table;
}

void FreeLeakedContainers() {
  for (KvContainer* c : Made()) delete c;
  Made().clear();
}

std::optional<Value> GetParameter(const KvContainer* c, std::int32_t id) {
  if (c == nullptr) return std::nullopt;
  const auto it = c->values.find(id);
  if (it == c->values.end()) return std::nullopt;
  return std::visit(
      [](const auto& v) -> Value {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, LinkValue>) {
          return LiveNode(v.serial);
        } else {
          return v;
        }
      },
      it->second);
}

void SetParameterRaw(KvContainer* c, std::int32_t id, const Value& v) {
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, KvNode*>) {
          SetLink(c, id, x);
        } else {
          Put(c, id, x);
        }
      },
      v);
}

std::vector<std::int32_t> ParameterIds(const KvContainer* c) {
  std::vector<std::int32_t> ids;
  if (c == nullptr) return ids;
  for (const auto& entry : c->values) ids.push_back(entry.first);
  return ids;
}

}  // namespace kvhost
