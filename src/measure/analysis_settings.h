#pragma once
// The settings a user chooses for Trace Reanalysis: per-wavelength group index and scatter
// coefficient tables that last for the run, the allowed range of each value, and the pre-fill of the
// settings dialog from the last analysis.
#include <array>
#include <string_view>

#include "analysis/analysis_types.h"
#include "trace/display_records.h"

inline constexpr int kAnalysisWavelengthCount = 8;

/// The wavelength choices of the settings dialog, in entry order.
inline constexpr std::array<std::string_view, kAnalysisWavelengthCount> kAnalysisWavelengthNames = {
    "850nm", "1300nm", "1310nm", "1383nm", "1490nm", "1550nm", "1625nm", "1650nm"};

/// What the Default buttons load, per entry. The scatter defaults differ from the tables' start values.
inline constexpr std::array<float, kAnalysisWavelengthCount> kDefaultIor = {1.496f,  1.491f,  1.4659f, 1.4661f,
                                                                            1.4664f, 1.4666f, 1.4671f, 1.4671f};
inline constexpr std::array<float, kAnalysisWavelengthCount> kDefaultScatter = {-36.0f, -42.0f, -49.4f, -50.2f,
                                                                                -51.2f, -51.8f, -52.5f, -52.6f};

/// Group index and scatter coefficient (dB) per entry, as last loaded or confirmed in this run.
extern std::array<float, kAnalysisWavelengthCount> g_IorByWavelength;
extern std::array<float, kAnalysisWavelengthCount> g_ScatterByWavelength;

/// Puts both tables back to their start values.
void ResetAnalysisWavelengthTables();

/// (minimum, maximum) of group index, scatter coefficient, non-reflection, reflection and end threshold.
inline constexpr std::array<float, 10> g_AnalysisLimits = {1.0f,   1.99999f, -70.0f, -10.0f, 0.0f,
                                                           5.0f,   -78.0f,   -10.0f, 0.0f,   30.0f};

/// The five values of the settings, in dialog order.
enum class AnalysisField { GroupIndex, ScatterCoef, NonReflThreshold, ReflThreshold, EndThreshold };

/// One choice of analysis settings; the constructor values are the dialog's first pre-fill.
struct AnalysisSettings {
  int wavelengthIndex = 0;  // entry of kAnalysisWavelengthNames
  float groupIndex = 1.496f;
  float scatterCoef = -36.0f;      // dB, negative
  float nonReflThreshold = 0.2f;   // dB
  float reflThreshold = -56.0f;    // dB
  float endThreshold = 3.0f;       // dB
};

/// The outcome of a range check: the value brought to the precision shown, or the text row of the
/// message that refuses it.
struct AnalysisValueCheck {
  bool accepted = false;
  float value = 0.0f;
  int messageRow = 0;
};

/// Rounds `value` to the field's shown precision and checks it against g_AnalysisLimits (the lower
/// bounds of the non-reflection and end thresholds exclusive, all others inclusive).
AnalysisValueCheck CheckAnalysisValue(AnalysisField field, float value);

/// The entry whose wavelength lies nearest to `wavelengthNm`.
int NearestAnalysisWavelength(double wavelengthNm);

/// The settings the dialog opens with: the trace's own. The entry nearest the trace's wavelength,
/// the trace's group index, scatter coefficient and thresholds as the dialog shows them; a value the
/// trace lacks or the dialog would refuse (a threshold of 0 the file never set) opens on the entry's
/// table value or the constructor value instead.
AnalysisSettings PrefillAnalysisSettings(const FibreParamsRecord& fibre);

/// The value `field` is set to by its Default button for `entry` (the tables are not touched).
float AnalysisDefaultValue(AnalysisField field, int entry);
