// What the settings dialog needs of the main window: its evaluation tick and
// the length of its countdown bar.
#pragma once

#include <cstdint>

namespace velmaro {

class MainWindowLink {
 public:
  virtual ~MainWindowLink() = default;
  virtual void StopEvaluation() = 0;    // Timer1 off (opening the settings dialog)
  virtual void ResumeEvaluation() = 0;  // Timer1 on, but only while monitoring is on (n1 checked)
  virtual void SetCountdownMax(std::int32_t tishi) = 0;  // PgBar1's maximum after OK
};

}  // namespace velmaro
