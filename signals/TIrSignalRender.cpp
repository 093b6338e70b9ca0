#include "signals/TIrSignalRender.h"

#include <algorithm>

#include "capture/TIrRender.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {

int TIrSignalRender::CarrierHz(const TQVXIrSubFunction& sub) {
  return sub.GetDivider() == 0 ? 0 : 66000000 / sub.GetDivider();
}

TIrSignal TIrSignalRender::FromSubFunction(const TQVXIrSubFunction& sub) {
  const auto& sel = sub.GetSelectors();
  // The counts may disagree with the selector array of a damaged driver;
  // never read beyond it.
  const int headerCount = std::min<int>(sub.GetHeaderCount(), static_cast<int>(sel.size()));
  const int bodyCount = std::min<int>(sub.GetBodyCount(), static_cast<int>(sel.size()) - headerCount);
  const uint16_t* times = sub.GetTimes().data();
  const int timeCount = sub.GetTimeCount();
  TIrSignal signal;
  signal.carrier_hz = sub.IsModulated() ? CarrierHz(sub) : 0;
  signal.once = TIrRender::Microseconds(sub.GetDivider(), times, timeCount, sel.data(), headerCount, nullptr, 0, 0);
  signal.repeat =
      TIrRender::Microseconds(sub.GetDivider(), times, timeCount, nullptr, 0, sel.data() + headerCount, bodyCount, 1);
  signal.repeats = signal.repeat.empty() ? 0 : sub.GetRepeatCount();
  return signal;
}

TIrSignal TIrSignalRender::FromFunction(const TQVXIrFunction& function) {
  for (int i = 0; i < function.GetSubFunctionCount(); ++i) {
    if (const TQVXIrSubFunction* sub = function.GetSubFunction(i)) return FromSubFunction(*sub);
  }
  TIrSignal none;
  none.repeats = 0;
  return none;
}

}  // namespace quillon
