#include "devicelink/CQVXSettings.h"

#include "app/CMemINI.h"

namespace quillon {

namespace {

constexpr const char* kKeys[CQVXSettings::kCount] = {
    "irs_interval",         "update_interval",      "gen_query_timeout",    "gen_query_eoftimeout",
    "bleed_timeout",        "ir_cmd_timeout",       "ir_cmd_eoftimeout",    "flash_cmd_timeout",
    "flash_cmd_eoftimeout", "file_list_timeout",    "file_list_eoftimeout", "upload_ready_timeout",
    "upload_timeout",       "upload_ack_timeout",   "upload_ack_eoftimeout", "download_ready_timeout",
    "download_timeout",     "download_ack_timeout"};

}  // namespace

const char* CQVXSettings::KeyAt(int index) { return index >= 0 && index < kCount ? kKeys[index] : ""; }

int* CQVXSettings::FieldAt(int index) {
  int* fields[kCount] = {&irs_interval,         &update_interval,      &gen_query_timeout,    &gen_query_eoftimeout,
                         &bleed_timeout,        &ir_cmd_timeout,       &ir_cmd_eoftimeout,    &flash_cmd_timeout,
                         &flash_cmd_eoftimeout, &file_list_timeout,    &file_list_eoftimeout, &upload_ready_timeout,
                         &upload_timeout,       &upload_ack_timeout,   &upload_ack_eoftimeout, &download_ready_timeout,
                         &download_timeout,     &download_ack_timeout};
  return index >= 0 && index < kCount ? fields[index] : nullptr;
}

const int* CQVXSettings::FieldAt(int index) const { return const_cast<CQVXSettings*>(this)->FieldAt(index); }

void CQVXSettings::Reset() { *this = CQVXSettings(); }

void CQVXSettings::Read(const CMemINI& ini) {
  Reset();
  for (int i = 0; i < kCount; ++i) {
    int* field = FieldAt(i);
    *field = ini.GetInt(kSection, kKeys[i], *field);
  }
}

}  // namespace quillon
