// Bd (insertion, spline plane) and the documents the host holds.
#include <algorithm>
#include <sstream>

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

void Describe(std::ostringstream& out, const KvNode* node, int depth) {
  for (; node != nullptr; node = node->next) {
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << node->type << '#'
        << node->serial << '\n';
    Describe(out, node->down, depth + 1);
  }
}

}  // namespace

KvDocumentTable* DocumentTable() {
  static KvDocumentTable table{{KV_TABLE_LAYOUT_VERSION, sizeof(KvDocumentTable)},
                               InsertObject, StartUndo, AddUndo, EndUndo,
                               GetSplinePlane};
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

std::string DescribeTree(const KvDocument* doc) {
  std::ostringstream out;
  Describe(out, doc != nullptr ? doc->first : nullptr, 0);
  return out.str();
}

}  // namespace kvhost
