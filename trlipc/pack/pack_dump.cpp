// The packet dump of the debug log: every header field and argument of a packet as text.
#include <cstring>

#include "pack/descriptors.h"
#include "pack/pack.h"
#include "pack/packet.h"
#include "pack/types.h"
#include "pack/wire.h"

namespace trl {
namespace {

// The field of the login record that holds the password; the dump never shows its characters.
constexpr int32_t kPasswordField = 2;

template <typename T>
T load(const unsigned char *at) {
  T value{};
  if (at) std::memcpy(&value, at, sizeof value);
  return value;
}

bool printable(unsigned char c) {
  return c < 128 && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' ||
                     (c > ' ' && c < 127));
}

class Dumper {
 public:
  Dumper(FILE *out, const rpi_group *group) : out_(out), group_(group) {}

  // n elements of a type 1 to 12 at data.
  void elements(int32_t type, const unsigned char *data, int64_t n, bool tags, bool mask = false) {
    if (tags) std::fputs(tag(type), out_);
    if (type == USD) {
      std::fputs(" ", out_);
      return;
    }
    const int32_t size = pack_basic_size(type);
    bool masking = mask;
    for (int64_t i = 0; i < n; ++i) {
      const unsigned char *at = data ? data + i * size : nullptr;
      switch (type) {
        case CH: {
          const auto c = load<unsigned char>(at);
          if (c == 0) {
            masking = false;
            std::fputs("\\0", out_);
          } else if (masking) {
            std::fputc('*', out_);
          } else if (printable(c)) {
            std::fputc(c, out_);
          } else {
            std::fprintf(out_, "\\%03o", c);
          }
          break;
        }
        case UCH: std::fprintf(out_, " %d", load<unsigned char>(at)); break;
        case SH: std::fprintf(out_, " %d", load<int16_t>(at)); break;
        case USH: std::fprintf(out_, " %d", load<uint16_t>(at)); break;
        case LW: std::fprintf(out_, " %d", load<int32_t>(at)); break;
        case ULW: std::fprintf(out_, " %u", load<uint32_t>(at)); break;
        case FL: std::fprintf(out_, " %f", static_cast<double>(load<float>(at))); break;
        case DB: std::fprintf(out_, " %f", load<double>(at)); break;
        case STR: std::fprintf(out_, "%c", load<char>(at)); break;
        case PT: std::fputs(" pointer", out_); break;
        case EL: std::fprintf(out_, " %d", load<int16_t>(at)); break;
        default: break;
      }
    }
  }

  // A value of count elements (or instances) held at data.
  void value(int32_t type, int32_t count, const unsigned char *data, int64_t n, bool tags, int depth,
             bool mask = false) {
    if (type == DYNA) {
      dyna(load<dyna_array>(data), tags);
    } else if (pack_is_struct(type)) {
      structure(type, n, data, depth + 1, mask);
    } else {
      elements(type, data, n, tags);
    }
  }

  void structure(int32_t type, int64_t instances, const unsigned char *data, int depth, bool mask) {
    const rpi_struct *s = pack_find_struct(group_, type);
    std::fprintf(out_, "STRUCT #%d :\n", type - PACK_STRUCT_BASE);
    if (!s || depth > kMaxStructDepth) return;
    const int64_t size = pack_element_size_of(group_, type, depth);
    for (int64_t k = 0; k < instances && size >= 0; ++k) {
      if (k > 0) std::fprintf(out_, "\n    %*c--------\n", 4 * depth, ' ');
      const unsigned char *at = data ? data + k * size : nullptr;
      for (int32_t f = 0; f < s->field_count; ++f) {
        const rpi_field &field = s->fields[f];
        if (f > 0) std::fputs("\n", out_);
        std::fprintf(out_, "    %*c", 4 * depth, ' ');
        std::fprintf(out_, "Element #%d ", f);
        std::fprintf(out_, "(%6d) ", field.count);
        const bool masked = mask && f == kPasswordField && field.type == CH;
        if (field.type == CH || basic_field(field.type)) {
          elements(field.type, at, held(field.type, field.count, at), true, masked);
        } else {
          value(field.type, field.count, at, pack_count_limit(field.count), true, depth);
        }
        if (at) at += pack_size_of(group_, field.type, field.count, depth + 1);
      }
    }
  }

  void dyna(const dyna_array &header, bool tags) {
    if (tags) std::fputs("Dynamic Data:\n", out_);
    std::fputs("\n    --------\n", out_);
    std::fputs("    ", out_);
    std::fprintf(out_, "Number of data elements : %d\n", header.count);
    for (int i = 0; i < header.count && header.elements; ++i) {
      const dyna_elem &element = header.elements[i];
      std::fputs("    ", out_);
      std::fprintf(out_, "Element #%d ", i);
      std::fprintf(out_, "(%6d) ", element.size);
      value(element.type, element.size, static_cast<const unsigned char *>(element.data),
            element.size > 0 ? element.size : 1, true, 0);
      std::fputs("\n", out_);
    }
    std::fputs("\n    --------\n", out_);
  }

 private:
  static bool basic_field(int32_t type) { return type >= CH && type <= EL && type != DYNA; }

  // How many elements of a structure field to print: a terminated field up to its terminator.
  int64_t held(int32_t type, int32_t count, const unsigned char *at) const {
    const int64_t limit = pack_count_limit(count);
    if (count >= 0 || !at || type == PT || type == USD) return count < 0 ? 1 : limit;
    const int32_t size = pack_basic_size(type);
    for (int64_t i = 0; i < limit; ++i) {
      bool zero = true;
      for (int32_t b = 0; b < size; ++b) zero = zero && at[i * size + b] == 0;
      if (zero) return i + 1;
    }
    return limit;
  }

  static const char *tag(int32_t type) {
    switch (type) {
      case CH: return " CH : ";
      case UCH: return "UCH :";
      case SH: return " SH :";
      case USH: return "USH :";
      case LW: return " LW :";
      case ULW: return "ULW :";
      case FL: return " FL :";
      case DB: return " DB :";
      case STR: return "STR : ";
      case USD: return "USD :";
      case PT: return " PT :";
      case EL: return " EL :";
      default: return "";
    }
  }

  FILE *out_;
  const rpi_group *group_;
};

// Prints the blocks of a USD argument at *position ("USD : " and their bytes) and steps over them: one
// block for a scalar, count blocks for a fixed count, up to FF FF within -count blocks for a terminated
// list.
void dump_blocks(FILE *stream, const ipc_buffer *packet, int32_t *position, int32_t count) {
  std::fputs("USD : ", stream);
  const int64_t limit = pack_count_limit(count);
  int32_t at = *position;
  for (int64_t i = 0; i < limit; ++i) {
    if (!packet || !packet->data || at + 2 > packet->length) {
      std::fprintf(stream, "\nBAD extract status for this argument element : %d", 800);
      return;
    }
    const uint16_t length = wire::get16(packet->data + at);
    if (count < 0 && length == 0xFFFF) {
      at += 2;
      break;
    }
    if (at + 2 + length > packet->length) {
      std::fprintf(stream, "\nBAD extract status for this argument element : %d", 800);
      return;
    }
    std::fwrite(packet->data + at + 2, 1, length, stream);
    at += 2 + length;
  }
  *position = at;
}

char direction_mark(int32_t direction) { return direction == RPI_IN ? 'I' : direction == RPI_OUT ? 'O' : '?'; }

}  // namespace

void pack_dump(const ipc_buffer *packet, bool is_request, FILE *stream) {
  if (!stream) return;
  int group = 0, message = 0, sequence = 0, number = 0;
  int32_t length = 0;
  if (packet_group(packet, &group) != 0) std::fputs("BAD status extracting group number\n", stream);
  if (packet_message_number(packet, &message) != 0) std::fputs("BAD status extracting message number\n", stream);
  if (packet_sequence_number(packet, &sequence) != 0) std::fputs("BAD status extracting sequence number\n", stream);
  if (packet_number(packet, &number) != 0) std::fputs("BAD status extracting packet number\n", stream);
  if (packet_length(packet, &length) != 0) std::fputs("BAD status extracting packet length\n", stream);
  std::fprintf(stream, "Group number      : %d\n", group);
  std::fprintf(stream, "Message number    : %d\n", message);
  std::fprintf(stream, "Sequence number   : %d\n", sequence);
  std::fprintf(stream, "Packet number     : %d\n", number);
  std::fprintf(stream, "Packet length     : %d\n", length);
  std::fflush(stream);

  rpi_function entry{};
  if (rpi_lookup_function(group, message, &entry) != 0) {
    std::fputs("BAD status getting the function descriptor :$d\n", stream);
    std::fflush(stream);
    return;
  }

  const bool have_lead = packet && packet->data && packet->length >= kPacketHeaderSize;
  int32_t position;
  if (is_request || number != 0) {
    int flag = 0;
    if (have_lead && packet->length >= kPacketHeaderSize + 1) {
      flag = packet->data[kPacketHeaderSize];
    } else {
      std::fprintf(stream, "BAD status extracting async flag :%d\n", 800);
    }
    std::fprintf(stream, "Async flag        : %d\n", flag);
    position = kRequestArgsOffset;
  } else {
    int32_t status = 0;
    if (have_lead && packet->length >= kReplyArgsOffset) {
      status = static_cast<int32_t>(wire::get32(packet->data + kPacketHeaderSize));
    } else {
      std::fprintf(stream, "BAD status extracting returned status :%d\n", 800);
    }
    std::fprintf(stream, "Return status     : %d\n", status);
    position = kReplyArgsOffset;
  }

  const rpi_group *record = rpi_find_group(group);
  Dumper dumper(stream, record);
  const int32_t wanted = is_request ? RPI_IN : RPI_OUT;
  const int n = entry.args ? entry.arg_count & 0xFF : 0;
  bool el_pending = false;
  int el_value = 0;
  for (int i = 0; i < n; ++i) {
    const rpi_arg &arg = entry.args[i];
    std::fflush(stream);
    std::fprintf(stream, "Argument #%d ", i);
    std::fprintf(stream, "(%6d) ", arg.count);
    std::fprintf(stream, "(%c) ", direction_mark(arg.direction));

    bool belongs = arg.direction == wanted;
    int32_t count = arg.count;
    if (arg.type == EL && i + 1 < n && entry.args[i + 1].count == PACK_COUNT_FROM_EL) {
      // The EL travels when the array it counts does; its value is read ahead for that array.
      belongs = entry.args[i + 1].direction == wanted;
      el_pending = belongs;
      el_value = 0;
      if (belongs && packet && packet->data && position >= 0 && position + 2 <= packet->length)
        el_value = static_cast<int16_t>(wire::get16(packet->data + position));
    } else if (arg.count == PACK_COUNT_FROM_EL) {
      belongs = belongs && el_pending && el_value >= 1;
      count = el_value;
      el_pending = false;
    }
    if (!belongs) {
      std::fputs("Not built into packet.", stream);
      std::fputs("\n", stream);
      continue;
    }

    if (arg.type == USD) {
      // The engine never extracts blocks, but the dump must step over them to read what follows.
      dump_blocks(stream, packet, &position, count);
      std::fputs("\n", stream);
      continue;
    }
    const int32_t before = position;
    ipc_buffer fresh{};
    const int status = packxtr_fresh(packet, &position, arg.type, count, &fresh);
    if (status != 0) {
      std::fprintf(stream, "\nBAD extract status for this argument element : %d", status);
    } else {
      const int32_t size = pack_basic_size(arg.type);
      int64_t elements = pack_count_limit(count);
      if (count < 0 && !pack_is_struct(arg.type) && arg.type != PT && size > 0) elements = (position - before) / size;
      if (arg.type == PT && count < 0) elements = 1;
      const bool mask = (message == IPC_MSG_LOGIN || message == 0) && i == 0 && arg.type == kLoginRecordType;
      dumper.value(arg.type, count, fresh.data, elements, true, 0, mask);
    }
    pack_fresh_release(group, arg.type, count, &fresh);
    std::fputs("\n", stream);
  }
  std::fflush(stream);
}

}  // namespace trl
