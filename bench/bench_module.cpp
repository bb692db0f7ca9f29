// The module's overhead in the host: the contour of a default arrow through the real
// module, beside the host doing the same unavoidable work without it (a spline of the same
// size, its points, the same container reads and writes and messages). Their ratio is the
// module's overhead. Also a whole load, start, registration and unload of the module.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "description/okeelvane.h"
#include "host.h"

namespace {

// What the contour hook cannot avoid: 27 reads of the arrow's container (21 shape
// values, 4 spline settings, plane and reverse), 5 writes to the new spline's container,
// 7 points written, 2 update messages.
constexpr int kContainerReads = 27;
constexpr int kSplineWrites = 5;

struct LoadedModule {
  LoadedModule() {
    kvhost::ResetHost();
    std::string error;
    module = kvhost::Module::Load(KEELVANE_MODULE_WIN, &error);
    if (module == nullptr || !module->Start()) std::abort();
    doc = kvhost::NewDocument();
    arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
    if (arrow == nullptr) std::abort();
  }
  ~LoadedModule() {
    kvhost::FreeDocument(doc);
    module.reset();
    kvhost::ResetHost();
  }
  std::unique_ptr<kvhost::Module> module;
  KvDocument* doc = nullptr;
  KvNode* arrow = nullptr;
};

void BM_ContourThroughModule(benchmark::State& state) {
  LoadedModule loaded;
  for (auto _ : state) {
    KvNode* spline = kvhost::GetContour(loaded.arrow, loaded.doc);
    benchmark::DoNotOptimize(spline);
    kvhost::FreeObject(spline);
  }
}
BENCHMARK(BM_ContourThroughModule);

void BM_ContourWorkInHostAlone(benchmark::State& state) {
  LoadedModule loaded;
  const KvHostTables* t = kvhost::HostTables();
  const KvContainer* source = kvhost::Container(loaded.arrow);
  const KvVector points[7] = {{-250, 50, 0}, {150, 50, 0},   {150, 100, 0}, {250, 0, 0},
                              {150, -100, 0}, {150, -50, 0}, {-250, -50, 0}};
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 0; i < kContainerReads; ++i) sum += t->t_C4DOS_Bc->GetFloat(source, 10000 + i * 10, 0.0);
    benchmark::DoNotOptimize(sum);
    KvNode* spline = t->t_C4DOS_Bo->AllocSpline(7, KV_SPLINETYPE_LINEAR);
    KvContainer* const* slot = t->t_C4DOS_Bl->GetDataInstance(spline);
    for (int i = 0; i < kSplineWrites; ++i) t->t_C4DOS_Bc->SetInt32(*slot, KV_SPLINEOBJECT_INTERPOLATION + i, i);
    KvNode* tag = t->t_C4DOS_Tg->GetTag(spline, KV_TAG_POINT, 0);
    std::memcpy(t->t_C4DOS_Tg->GetDataAddressW(tag), points, sizeof(points));
    t->t_C4DOS_Bl->Message(spline, KV_MSG_UPDATE, nullptr);
    t->t_C4DOS_Bl->Message(spline, KV_MSG_UPDATE, nullptr);
    kvhost::FreeObject(spline);
  }
}
BENCHMARK(BM_ContourWorkInHostAlone);

void BM_ModuleLoadStartUnload(benchmark::State& state) {
  kvhost::ResetHost();
  for (auto _ : state) {
    std::string error;
    auto module = kvhost::Module::Load(KEELVANE_MODULE_WIN, &error);
    if (module == nullptr || !module->Start()) {
      state.SkipWithError(error.c_str());
      break;
    }
    module.reset();
  }
  kvhost::ResetHost();
}
BENCHMARK(BM_ModuleLoadStartUnload)->Unit(benchmark::kMicrosecond);

}  // namespace
