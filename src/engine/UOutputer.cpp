#include "engine/UOutputer.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/ULogFile.h"

void TConvertStatus::Fire(const TEvent& event) {
  if (event) event(this);
}

void TConvertStatus::Start() {
  ConvertedRows = 0;
  ErrorRows = 0;
  StartTime = NowTicks();
  Fire(OnStart);
}

void TConvertStatus::Finish() {
  EndTime = NowTicks();
  Fire(OnEnd);
}

void TConvertStatus::FireError() { Fire(OnError); }
void TConvertStatus::FireMessage() { Fire(OnMessage); }
void TConvertStatus::FireProgress() { Fire(OnProgress); }

double TConvertStatus::GetElapsed() const { return NowTicks() - StartTime; }

double TConvertStatus::NowTicks() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void TOutputer::Log(const std::string& text) {
  if (!LogFile.empty()) WriteLogLine(LogFile, text);
}

void TOutputer::LogFailure(const std::string& text) {
  if (OnFailure) OnFailure(text);
  Log(text);
}

void TConvertOutputer::Initialize() {
  if (!Status) return;
  Status->OnError = [this](TConvertStatus* s) { OnErrorEvent(s); };
  Status->OnMessage = [this](TConvertStatus* s) { OnMessageEvent(s); };
  Status->OnStart = [this](TConvertStatus* s) { OnStartEvent(s); };
  Status->OnEnd = [this](TConvertStatus* s) { OnEndEvent(s); };
  Status->OnProgress = [this](TConvertStatus* s) { OnProgressEvent(s); };
}

void TLogConvertOutputer::OnErrorEvent(TConvertStatus* sender) { LogFailure(sender->ErrorMessage); }

// The converter's messages all tell of a failure: the error limit, what reached the
// table before one.
void TLogConvertOutputer::OnMessageEvent(TConvertStatus* sender) { LogFailure(sender->Message); }

void TLogConvertOutputer::OnEndEvent(TConvertStatus* sender) {
  std::string text = ConvertResultText(*sender);
  if (!sender->SourceDescription.empty() && !sender->DestDescription.empty()) {
    Log(sender->SourceDescription);
    Log(sender->DestDescription);
  }
  Log(text);
}

std::string ConvertResultText(const TConvertStatus& status) {
  std::string text =
      std::to_string(status.ConvertedRows) + " records" + "    Elapsed: " + FormatElapsed(status.GetElapsed());
  if (status.ErrorRows > 0) text += ".  " + std::to_string(status.ErrorRows) + " rows can not convert.";
  return text;
}

std::string FormatElapsed(double milliseconds) {
  if (!(milliseconds > 0)) milliseconds = 0;
  auto hours = static_cast<long long>(std::floor(milliseconds / 3600000));
  double rest = milliseconds - static_cast<double>(hours) * 3600000;
  auto minutes = static_cast<long long>(std::floor(rest / 60000));
  rest -= static_cast<double>(minutes) * 60000;
  auto seconds = static_cast<long long>(std::nearbyint(rest / 1000));  // default mode: halves to even
  if (seconds >= 60) {
    seconds -= 60;
    if (++minutes >= 60) {
      minutes -= 60;
      ++hours;
    }
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2lld:%.2lld:%.2lld", hours, minutes, seconds);
  return buffer;
}

double EstimateRemaining(double elapsed, double done, double total) {
  if (done == 0 || total == 0) return 0;
  return elapsed / (done / total) - elapsed;
}
