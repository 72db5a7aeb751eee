// The registry of descriptor tables.
#include "pack/descriptors.h"

#include "pack/pack_error.h"

namespace trl {

const rpi_field kLoginRecordFields[6] = {{CH, 50}, {CH, 50}, {CH, 50}, {CH, 50}, {SH, 0}, {CH, 500}};
const rpi_struct kLoginRecordStruct = {6, kLoginRecordFields};

namespace {

constexpr int kSlots = 4;
const rpi_group *g_groups[kSlots] = {};

}  // namespace

int rpi_register_group(const rpi_group *group) {
  if (!group) return 0;
  int number = group->group & 0xFF;
  if (number >= 1 && number <= kSlots) g_groups[number - 1] = group;
  return 0;
}

const rpi_group *rpi_find_group(int group) {
  if (group < 1 || group > kSlots) return nullptr;
  return g_groups[group - 1];
}

int rpi_find_group_checked(int group, const rpi_group **found) {
  const rpi_group *record = rpi_find_group(group);
  if (found) *found = record;
  return record ? 0 : pack_error(PACKERR_GROUP);
}

int rpi_lookup_function(int group, int message, rpi_function *entry) {
  if (entry) *entry = rpi_function{0, nullptr, nullptr};
  const rpi_group *record = rpi_find_group(group);
  if (!record) return PACKERR_GROUP;
  if (message < 0 || message >= record->function_count || !record->functions) return PACKERR_FUNCTION;
  if (entry) *entry = record->functions[message];
  return 0;
}

int rpi_find_function(int group, int message, rpi_function *entry) {
  return pack_error(rpi_lookup_function(group, message, entry));
}

int rpi_system_messages(int group, int *login, int *stop, int *ok, int *resend) {
  if (!rpi_find_group(group)) return pack_error(PACKERR_GROUP);
  if (login) *login = IPC_MSG_LOGIN;
  if (stop) *stop = IPC_MSG_STOP;
  if (ok) *ok = IPC_MSG_OK;
  if (resend) *resend = IPC_MSG_RESEND;
  return 0;
}

void rpi_registry_reset() {
  for (auto &slot : g_groups) slot = nullptr;
}

}  // namespace trl
