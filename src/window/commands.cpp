#include "window/commands.h"

namespace quiltor {

std::optional<CommandHit> FindCommand(unsigned id) {
  for (const CommandInfo& info : kCommandTable) {
    const unsigned first = ToUint(info.id);
    if (id >= first && id < first + info.count) return CommandHit{&info, id - first};
  }
  return std::nullopt;
}

std::optional<CommandId> FindCommandByName(std::string_view name) {
  for (const CommandInfo& info : kCommandTable) {
    if (info.name == name) return info.id;
  }
  return std::nullopt;
}

std::optional<CommandId> CommandForKey(std::uint8_t vk, bool shift) {
  for (const KeyBinding& binding : kKeyTable) {
    if (binding.vk == vk && binding.shift == shift) return binding.id;
  }
  return std::nullopt;
}

void CommandDispatcher::Bind(CommandId id, Handler handler) { handlers_[ToUint(id)] = std::move(handler); }

bool CommandDispatcher::HasHandler(CommandId id) const { return handlers_.count(ToUint(id)) != 0; }

bool CommandDispatcher::Dispatch(unsigned id, unsigned notification, bool fromControl) const {
  const std::optional<CommandHit> hit = FindCommand(id);
  if (!hit) return false;
  switch (hit->info->source) {
    case CommandSource::kMenuOrButton:
      if (fromControl ? notification != kNotifyMenu
                      : (notification != kNotifyMenu && notification != kNotifyAccelerator)) {
        return false;
      }
      break;
    case CommandSource::kComboBox:
      if (!fromControl || notification != kCbnSelChange) return false;
      break;
    case CommandSource::kInternal:
      return false;
  }
  return Run(hit->info->id, hit->index);
}

bool CommandDispatcher::Run(CommandId id, std::size_t index) const {
  const auto found = handlers_.find(ToUint(id));
  if (found == handlers_.end() || !found->second) return false;
  found->second(index);
  return true;
}

}  // namespace quiltor
