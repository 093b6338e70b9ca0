#pragma once
// The eighteen time-outs and intervals of the device link, in milliseconds,
// with their defaults and their keys in section ProgramSettings of the
// settings file.
#include <string>

namespace quillon {

class CMemINI;

struct CQVXSettings {
  static constexpr const char* kSection = "ProgramSettings";

  int irs_interval = 50;
  int update_interval = 5000;
  int gen_query_timeout = 2000;
  int gen_query_eoftimeout = 20;
  int bleed_timeout = 10;
  int ir_cmd_timeout = 10000;
  int ir_cmd_eoftimeout = 100;
  int flash_cmd_timeout = 60000;
  int flash_cmd_eoftimeout = 100;
  int file_list_timeout = 10000;
  int file_list_eoftimeout = 1000;
  int upload_ready_timeout = 30000;
  int upload_timeout = 30000;
  int upload_ack_timeout = 10000;
  int upload_ack_eoftimeout = 100;
  int download_ready_timeout = 5000;
  int download_timeout = 10000;
  int download_ack_timeout = 5000;

  static constexpr int kCount = 18;
  // Key name and field of setting i (0..17), in the order above.
  static const char* KeyAt(int index);
  int* FieldAt(int index);
  const int* FieldAt(int index) const;

  // Back to the defaults above.
  void Reset();
  // Resets, then takes every key present in ProgramSettings of the store.
  void Read(const CMemINI& ini);
};

}  // namespace quillon
