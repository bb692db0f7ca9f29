// The arrow object's parameters, each stated once: its id (from the description header),
// the kind of value it holds, its default and whether the reset writes it, the field of
// the settings record it fills, and where a preset file carries it. The reset, the
// contour, the preset reader and writer, the keelvane tool and the tests read this table,
// so a new parameter is one row here beside its description, its strings and its geometry.
//
// Standard library and the boundary's plain C ids only, so that the tools can read it too.
#pragma once

#include <cstdint>
#include <iterator>

#include "arrow_outline.h"
#include "description/okeelvane.h"
#include "kv_documents.h"
#include "kv_objects.h"

// The value a parameter holds in the object's container.
enum ParameterKind {
  kFloatParameter,
  kBoolParameter,
  kInt32Parameter,
  kStringParameter,
  kLinkParameter,   // a link to an object
  kButtonParameter  // a command, with no stored value
};

// Preset layouts, named by the version that brought their items. A file whose version
// string is none of kPresetVersions holds the items of the first layout only.
inline constexpr std::int32_t kPresetFirstLayout = 0;
inline constexpr std::int32_t kPresetVersion12 = 12;
inline constexpr std::int32_t kPresetVersion13 = 13;

struct PresetVersion {
  std::int32_t layout;
  const char* text;  // item 2 of a file of this version
};

// The versions the reader knows, oldest first.
inline constexpr PresetVersion kPresetVersions[] = {
    {kPresetVersion12, "# Version 1.2"},
    {kPresetVersion13, "# Version 1.3"},
};
// The version the writer writes: the newest.
inline constexpr PresetVersion kPresetWrittenVersion = kPresetVersions[std::size(kPresetVersions) - 1];

// Items 1 and 3 and the end marker: written, and read without being compared.
inline constexpr const char* kPresetHeader = "# Keelvane preset file";
inline constexpr const char* kPresetStartMarker = "# Start of parameters";
inline constexpr const char* kPresetEndMarker = "# End of parameters";

// The parameter items of a preset run from item 4 on, without a gap.
inline constexpr std::int32_t kFirstPresetItem = 4;

struct ArrowParameter {
  std::int32_t id;
  ParameterKind kind;
  bool reset;                     // ResetArrowDefaults writes the default
  double defaultValue;            // a bool's is 1 (on) or 0 (off); a string's is empty
  double ArrowSettings::*length = nullptr;  // the settings field a float fills
  bool ArrowSettings::*flag = nullptr;      // the settings field a bool fills
  std::int32_t presetItem = 0;              // its item in a preset file; 0: none
  std::int32_t presetLayout = kPresetFirstLayout;  // the preset layout that brought it
};

// The host's defaults for a spline's interpolation: adaptive, with an angle limit of 5
// degrees (in radians).
inline constexpr std::int32_t kDefaultInterpolation = KV_SPLINEOBJECT_INTERPOLATION_ADAPTIVE;
inline constexpr double kDefaultSplineAngle = 0.08726646259971647;

// In the order in which the reset writes them; those it leaves alone come last. A row
// ends where the rest would be the defaults above: no settings field, no preset item.
// clang-format off
inline constexpr ArrowParameter kArrowParameters[] = {
    // id                              kind              reset  default, float field, bool field, preset item, layout
    {ARROW_SHAFT_LENGTH,               kFloatParameter,  true,  400.0, &ArrowSettings::shaftLength, nullptr, 15},
    {ARROW_SHAFT_WIDTH,                kFloatParameter,  true,  100.0, &ArrowSettings::shaftWidth, nullptr, 16},
    {ARROW_HEAD_LENGTH,                kFloatParameter,  true,  100.0, &ArrowSettings::headLength, nullptr, 5},
    {ARROW_HEAD_WIDTH,                 kFloatParameter,  true,  50.0, &ArrowSettings::headWidth, nullptr, 6},
    {ARROW_CHEVRON_HEAD,               kBoolParameter,   true,  0, nullptr, &ArrowSettings::chevronHead, 8},
    {ARROW_CHEVRON_SQUARE_ENDS,        kBoolParameter,   true,  0, nullptr, &ArrowSettings::chevronSquareEnds, 9},
    {ARROW_CHEVRON_THICKNESS,          kFloatParameter,  true,  50.0, &ArrowSettings::chevronThickness, nullptr, 10},
    {ARROW_DOUBLE,                     kBoolParameter,   true,  0, nullptr, &ArrowSettings::doubleArrow, 11, kPresetVersion12},
    {ARROW_DOUBLE_SHAFT_LENGTH,        kFloatParameter,  true,  400.0, &ArrowSettings::doubleShaftLength, nullptr, 12, kPresetVersion12},
    {ARROW_DOUBLE_SHAFT_WIDTH,         kFloatParameter,  true,  100.0, &ArrowSettings::doubleShaftWidth, nullptr, 13, kPresetVersion12},
    {ARROW_TAIL_NOTCH,                 kFloatParameter,  true,  0.0, &ArrowSettings::tailNotch, nullptr, 17},
    {ARROW_TAPER_HEAD,                 kFloatParameter,  true,  0.0, &ArrowSettings::taperHead, nullptr, 18},
    {ARROW_TAPER_TAIL,                 kFloatParameter,  true,  0.0, &ArrowSettings::taperTail, nullptr, 19},
    {ARROW_HEAD_SWEEP,                 kFloatParameter,  true,  0.0, &ArrowSettings::headSweep, nullptr, 7},
    {ARROW_SHAFT,                      kBoolParameter,   true,  1, nullptr, &ArrowSettings::hasShaft, 14},
    {ARROW_FLETCHING,                  kBoolParameter,   true,  0, nullptr, &ArrowSettings::fletching, 20},
    {ARROW_FLETCHING_LENGTH,           kFloatParameter,  true,  100.0, &ArrowSettings::fletchingLength, nullptr, 21},
    {ARROW_FLETCHING_HEIGHT,           kFloatParameter,  true,  50.0, &ArrowSettings::fletchingHeight, nullptr, 22},
    {ARROW_FLETCHING_SWEEP,            kFloatParameter,  true,  50.0, &ArrowSettings::fletchingSweep, nullptr, 23},
    {ARROW_BEVEL,                      kBoolParameter,   true,  0, nullptr, &ArrowSettings::bevel},
    {ARROW_BEVEL_SIZE,                 kFloatParameter,  true,  10.0, &ArrowSettings::bevelSize},
    {ARROW_BEVEL_OPTION,               kBoolParameter,   true,  1},
    {ARROW_CLONE_COUNT,                kInt32Parameter,  true,  3},
    {ARROW_CLONE_PLANE_ZY,             kBoolParameter,   true,  1},
    {ARROW_CLONE_SPLINE_VALUE,         kFloatParameter,  true,  0.0},
    {ARROW_WRAP_SWITCH,                kBoolParameter,   true,  1},
    {ARROW_WRAP_NATURAL_INTERPOLATION, kBoolParameter,   true,  1},
    {KV_PRIM_PLANE,                    kInt32Parameter,  true,  KV_PLANE_XY, nullptr, nullptr, 24},
    {KV_PRIM_REVERSE,                  kBoolParameter,   true,  0, nullptr, nullptr, 25},
    {KV_SPLINEOBJECT_INTERPOLATION,    kInt32Parameter,  true,  kDefaultInterpolation, nullptr, nullptr, 26},
    {KV_SPLINEOBJECT_SUB,              kInt32Parameter,  true,  8, nullptr, nullptr, 27},
    {KV_SPLINEOBJECT_ANGLE,            kFloatParameter,  true,  kDefaultSplineAngle, nullptr, nullptr, 28},
    {KV_SPLINEOBJECT_MAXIMUMLENGTH,    kFloatParameter,  true,  5.0, nullptr, nullptr, 29},
    {ARROW_PRESET_NAME,                kStringParameter, true,  0, nullptr, nullptr, 4},
    // Not reset: a new object reads them as off or an empty link until the user sets them.
    {ARROW_EXTRUDE_CAPS,               kBoolParameter,   false, 0},
    {ARROW_CLONER_ADD_EXTRUDE,         kBoolParameter,   false, 0},
    {ARROW_CLONE_ON_SPLINE,            kBoolParameter,   false, 0},
    {ARROW_CLONE_SPLINE,               kLinkParameter,   false, 0},
    {ARROW_WRAP_ADD_EXTRUDE,           kBoolParameter,   false, 0},
    {ARROW_WRAP_SPLINE,                kLinkParameter,   false, 0},
    // The buttons: commands, with no stored value.
    {ARROW_PRESET_LOAD,                kButtonParameter, false, 0},
    {ARROW_PRESET_SAVE,                kButtonParameter, false, 0},
    {ARROW_RESET,                      kButtonParameter, false, 0},
    {ARROW_INFO,                       kButtonParameter, false, 0},
    {ARROW_MAKE_EXTRUDE,               kButtonParameter, false, 0},
    {ARROW_MAKE_CLONER,                kButtonParameter, false, 0},
    {ARROW_MAKE_WRAP,                  kButtonParameter, false, 0},
};
// clang-format on

// The parameter a preset file carries as item, or null past its last item.
inline const ArrowParameter* PresetItemParameter(std::int32_t item) {
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.presetItem == item) return &p;
  }
  return nullptr;
}
