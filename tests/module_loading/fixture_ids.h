// The fixture module's object type and parameter ids, shared by the module and its tests.
#pragma once

#include <cstdint>

namespace fixture {

constexpr std::int32_t kObjectType = 1000001;
constexpr std::int32_t kCount = 1;       // int32, default 42
constexpr std::int32_t kLabel = 2;       // string, default "fixture"
constexpr std::int32_t kDependent = 3;   // enabled only while the count is 42
constexpr std::int32_t kAddNull = 100;   // button: insert a null object, one undo step
constexpr std::int32_t kLeakMemory = 101;     // button: framework memory never freed
constexpr std::int32_t kLeakContainer = 102;  // button: a container never freed

}  // namespace fixture
