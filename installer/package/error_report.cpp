// The replaceable failed-extraction reporter.
#include <utility>

#include "installer/package/package_platform.h"

namespace qv::package {
namespace {

ExtractErrorReporter& CurrentReporter() {
  static ExtractErrorReporter reporter;  // empty: the platform's own
  return reporter;
}

}  // namespace

void ReportExtractError(const char* entryName) {
  const ExtractErrorReporter& reporter = CurrentReporter();
  if (reporter) {
    reporter(entryName, kExtractErrorCaption);
  } else {
    PlatformExtractErrorReport(entryName, kExtractErrorCaption);
  }
}

ExtractErrorReporter SetExtractErrorReporter(ExtractErrorReporter reporter) {
  ExtractErrorReporter previous = std::move(CurrentReporter());
  CurrentReporter() = std::move(reporter);
  return previous;
}

}  // namespace qv::package
