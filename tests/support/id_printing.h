#pragma once
// Ids print as their numbers in test messages.

#include <ostream>
#include <type_traits>

#include "platform/toolkit.h"

namespace vm {

template <class Id>
requires std::is_same_v<Id, WindowId> || std::is_same_v<Id, ControlId> || std::is_same_v<Id, MenuId> ||
    std::is_same_v<Id, ItemId> || std::is_same_v<Id, FieldId> || std::is_same_v<Id, EventKind>
        std::ostream& operator<<(std::ostream& out, Id id) {
  return out << Number(id);
}

}  // namespace vm
