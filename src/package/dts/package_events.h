// The events a running package raises, on the thread that called Execute.
#pragma once
#include <cstdint>
#include <string>

namespace kpx::dts {

// A sink for package events; every member does nothing unless overridden. `eventSource` is
// the name of the step that raises the event.
class PackageEvents {
 public:
  virtual ~PackageEvents() = default;
  // A step starts.
  virtual void OnStart(const std::string& eventSource) { (void)eventSource; }
  // Every ProgressRowCount rows of a pump: the row count in two 32-bit halves and the
  // percentage of the source read (0 when its size is unknown).
  virtual void OnProgress(const std::string& eventSource, const std::string& description,
                          int32_t percentComplete, int32_t progressCountLow,
                          int32_t progressCountHigh) {
    (void)eventSource, (void)description, (void)percentComplete, (void)progressCountLow,
        (void)progressCountHigh;
  }
  // A step has ended, successfully or not.
  virtual void OnFinish(const std::string& eventSource) { (void)eventSource; }
  // Asked after each progress event; setting `cancel` fails the step and rolls it back.
  virtual void OnQueryCancel(const std::string& eventSource, bool& cancel) {
    (void)eventSource, (void)cancel;
  }
  // A row failed (or a step failed); setting `cancel` ends the step as cancelled.
  virtual void OnError(const std::string& eventSource, int32_t errorCode, const std::string& source,
                       const std::string& description, const std::string& helpFile,
                       int32_t helpContext, const std::string& idOfInterfaceWithError,
                       bool& cancel) {
    (void)eventSource, (void)errorCode, (void)source, (void)description, (void)helpFile,
        (void)helpContext, (void)idOfInterfaceWithError, (void)cancel;
  }
};

}  // namespace kpx::dts
