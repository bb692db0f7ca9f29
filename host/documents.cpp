// Bd (insertion, spline plane) and the documents the host holds.
#include <algorithm>
#include <charconv>
#include <functional>

#include "host.h"

namespace kvhost {
namespace {

std::vector<KvDocument*>& Documents() {
  static std::vector<KvDocument*> docs;
  return docs;
}

void InsertObject(KvDocument* doc, KvNode* object, KvNode* parent, KvNode* pred) {
  if (doc == nullptr || object == nullptr) return;
  if (pred != nullptr) {
    InsertAt(object, Place{pred->up, pred->up == nullptr ? DocumentOf(pred) : nullptr, pred});
  } else if (parent != nullptr) {
    InsertAt(object, Place{parent, nullptr, nullptr});
  } else {
    InsertAt(object, Place{nullptr, doc, nullptr});
  }
}

int32_t GetSplinePlane(const KvDocument* doc) { return doc != nullptr ? doc->splinePlane : 0; }

// A real as the shortest text that reads back as the same double, with ".0" where that
// text alone would read as a whole number, so that 3 and 3.0 stay apart.
std::string RealText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  std::string out(text, end);
  if (out.find_first_not_of("-0123456789") == std::string::npos) out += ".0";
  return out;
}

std::string QuotedText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return out + "\"";
}

// A value as DocumentText writes it, a link's target named by name.
std::string ValueWithNames(const Value& v, const std::function<std::string(const KvNode*)>& name) {
  if (const auto* i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) return RealText(*d);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "true" : "false";
  if (const auto* s = std::get_if<std::string>(&v)) return QuotedText(*s);
  if (const auto* p = std::get_if<KvVector>(&v)) {
    return "(" + RealText(p->x) + "," + RealText(p->y) + "," + RealText(p->z) + ")";
  }
  const KvNode* target = std::get<KvNode*>(v);
  return target == nullptr ? "->none" : "->" + std::to_string(target->type) + name(target);
}

struct TreeText {
  ObjectNames names;
  std::vector<const KvNode*> places;  // every object of the tree, depth first

  void Collect(const KvNode* node) {
    for (; node != nullptr; node = node->next) {
      places.push_back(node);
      Collect(node->down);
    }
  }

  std::string Name(const KvNode* node) const {
    if (names == ObjectNames::BySerial) return "#" + std::to_string(node->serial);
    const auto at = std::find(places.begin(), places.end(), node);
    return at == places.end() ? "@outside" : "@" + std::to_string(at - places.begin());
  }

  std::string Parameters(const KvNode* node) const {
    std::string out;
    const KvContainer* c = node->data;
    const auto name = [this](const KvNode* target) { return Name(target); };
    for (std::int32_t id : ParameterIds(c)) out += " " + std::to_string(id) + "=" + ValueWithNames(*GetParameter(c, id), name);
    return out;
  }

  std::string Line(const KvNode* node) const { return std::to_string(node->type) + Name(node) + Parameters(node); }

  void Write(std::string& out, const KvNode* node, int depth) const {
    for (; node != nullptr; node = node->next) {
      out += std::string(static_cast<std::size_t>(depth) * 2, ' ') + Line(node) + "\n";
      Write(out, node->down, depth + 1);
    }
  }
};

}  // namespace

KvDocumentTable* DocumentTable() {
  static KvDocumentTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvDocumentTable)},
      .InsertObject = InsertObject,
      .StartUndo = StartUndo,
      .AddUndo = AddUndo,
      .EndUndo = EndUndo,
      .GetSplinePlane = GetSplinePlane,
  };
  return &table;
}

KvDocument* NewDocument() {
  auto* doc = new KvDocument;
  Documents().push_back(doc);
  return doc;
}

void FreeDocument(KvDocument* doc) {
  if (doc == nullptr) return;
  auto& docs = Documents();
  docs.erase(std::remove(docs.begin(), docs.end(), doc), docs.end());
  ClearHistory(doc);
  while (doc->first != nullptr) FreeNode(doc->first);
  delete doc;
}

void FreeAllDocuments() {
  while (!Documents().empty()) FreeDocument(Documents().back());
}

void ForgetNodeInHistories(const KvNode* node) {
  for (KvDocument* doc : Documents()) ForgetNode(doc, node);
}

void SetSplinePlane(KvDocument* doc, std::int32_t plane) { doc->splinePlane = plane; }

std::vector<KvNode*> TopObjects(const KvDocument* doc) {
  std::vector<KvNode*> out;
  for (KvNode* n = doc != nullptr ? doc->first : nullptr; n != nullptr; n = n->next) {
    out.push_back(n);
  }
  return out;
}

std::string DocumentText(const KvDocument* doc, ObjectNames names) {
  TreeText text{names, {}};
  const KvNode* first = doc != nullptr ? doc->first : nullptr;
  text.Collect(first);
  std::string out;
  text.Write(out, first, 0);
  return out;
}

std::string ValueText(const Value& value) {
  return ValueWithNames(value, [](const KvNode* target) { return "#" + std::to_string(target->serial); });
}

std::string ParameterText(const KvNode* node) {
  const std::string text = TreeText{ObjectNames::BySerial, {}}.Parameters(node);
  return text.empty() ? text : text.substr(1);
}

}  // namespace kvhost
