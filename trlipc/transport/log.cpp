// The shared IPC log stream and the debug dumps.
#include "transport/log.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "pack/pack.h"
#include "transport/channel.h"
#include "transport/errors.h"

namespace trl {
namespace {

char g_log_name[32];
FILE *g_log = nullptr;
int g_event_level = 0;
int g_socket_event_level = 0;

// Every dump has the threshold 0: any level of 1 or more writes it.
constexpr int kThreshold = 0;

constexpr char kSeparator[] = "----------------------------------------------------------------------\n";

// Event texts; "%d" in an entry is the event's value. Entries flagged with a message line get
// "  MESSAGE # (%d)\n" after their text.
struct EventText {
  const char *text;
  bool message_line;
};
const EventText kEvents[EV_COUNT] = {
    {"Attempting connection to the server.\n", false},
    {"Connection attained.\n", false},
    {"Attempting to disconnect from the server.\n", false},
    {"Got request from other side will waiting for a reply.\n", true},
    {"Resending last sent packet to other side.\n", false},
    {"Sending a part of packet.\n", true},
    {"Sending packet to other side ( could be last part of a message )\n", true},
    {"Successfully sent packet.\n", true},
    {"Waiting for packet to be sent from the other side.\n", true},
    {"Got a sub-packet of a bigger packet.\n  Expecting (%d) more packets.\n", false},
    {"Got a packet from the other side.\n", true},
    {"About to call an RPI function.\n", true},
    {"Attempting to find waiting data in any communications channel.\n", false},
    {"Waiting for a connect request from a client.\n", false},
    {"Starting service.\n", false},
    {"Stopping service.\n", false},
    {"Client wants service stopped.\n", false},
    {"Found data in a communications channel.\n", false},
    {"Responding to request.\n", true},
    {"Packet recieved from the other side asyncronously.\n", false},
    {"Packet recieved from the other side asyncronously has been processed.\n", false},
    {"Disabling asyncronous communications.\n", false},
    {"Enabling asyncronous communications.\n", false},
    {"Doing a psuedo asyncronous communications for MESSAGE # (%d)\n", false},
    {"Regot request for a psuedo asyncronous communications for MESSAGE # (%d)\n", false},
    {"Waiting for a packet header.\n", false},
    {"Waiting for a packet body.\n", false},
};

const char *const kPacketTitles[] = {
    nullptr,
    "Request packet to send to the other side.\n",
    "Request packet recieved from the other side.\n",
    "Reply packet to send to the other side.\n",
    "Reply packet recieved from the other side.\n",
};

const char *const kSocketEvents[SEV_COUNT] = {
    "Asking for information about the box '%s'.\n",
    "Asking for information about the service '%s'. with '%s' protocol.\n",
    "Asking for a socket endpoont.\n",
    "Asking for a socket connection on the host box.\n",
    "Asking for a socket communication shutdown.\n",
    "Asking for a socket close.\n",
    "Sending %d bytes.\n",
    "Got %d bytes.\n",
    "Should have blocked.  Resetting to block mode and trying to recv data again.\n",
    "Setting socket to NO blocking mode.\n",
    "Sensing for data waiting in the socket.\n",
    "Setting socket to blocking mode.\n",
    "Asking for a listening socket.\n",
    "Attempting to bind a socket to a port (port = %d) for listening.\n",
    "Setting up the socket (port = %d) to begin listening.\n",
    "Trying to create socket endpoint when request for connection arrives.\n",
    "Sucessfully set up socket endpoint.  Communication is now possible.\n",
    "Enabling asyncronous communications.\n",
    "Disabling asyncronous communications.\n",
    "Trying to get %d bytes.\n",
};

void event_header(FILE *log, int connection_id) {
  std::fputs("\n\t\t\tEvent Start (ipcdmp)\n", log);
  std::fprintf(log, "\t\t\t%s", log_time_text());
  std::fprintf(log, "\t\t\tConnection ID #(%d)\n", connection_id);
}

void end_entry(FILE *log) {
  std::fputs(kSeparator, log);
  std::fflush(log);
}

void connection_information(FILE *log, const ipc_channel *c) {
  std::fputs("    Connection information :\n\n", log);
  std::fprintf(log, "              This is the %s side.\n", c->side == IPC_SIDE_CLIENT ? "Client" : "Server");
  std::fprintf(log, "                               ID : %d\n", c->connection_id);
  std::fprintf(log, "                         Protocol : %s\n",
               c->protocol == IPC_PROTOCOL_SOCKET ? "Socket (tcp)" : "Unknown");
  std::fprintf(log, "                    Protocol's ID : %d\n", c->protocol_id);
  std::fprintf(log, "         Other side's Protocol ID : %d\n", c->endpoint);
  std::fprintf(log, "                 RPI Group number : %d\n", c->group);
  std::fprintf(log, "    Maximum Network Packet Length : %d\n", c->max_packet_length);
}

// One side of a socket: the address line and the name line, each left out when unknown.
void socket_side(FILE *log, int socket, bool peer) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int rc = peer ? getpeername(socket, reinterpret_cast<sockaddr *>(&address), &length)
                : getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length);
  if (rc != 0 || address.sin_family != AF_INET) return;
  // An unbound socket reports the wildcard address and port 0: nothing is known yet.
  if (address.sin_addr.s_addr == htonl(INADDR_ANY) && address.sin_port == 0) return;
  char dotted[INET_ADDRSTRLEN];
  if (inet_ntop(AF_INET, &address.sin_addr, dotted, sizeof dotted)) {
    std::fprintf(log, peer ? "\t\t\tPeer Socket Address (%s,%d)\n" : "\t\t\tHost Socket Address (%s,%d)\n", dotted,
                 ntohs(address.sin_port));
  }
  char name[NI_MAXHOST];
  if (getnameinfo(reinterpret_cast<sockaddr *>(&address), length, name, sizeof name, nullptr, 0, NI_NAMEREQD) == 0) {
    std::fprintf(log, peer ? "\t\t\tPeer Name (%s)\n" : "\t\t\tHost Name (%s)\n", name);
  }
}

void socket_header(FILE *log, int socket) {
  std::fputs("\n\t\t\tSocket Event (ipcdmpso)\n", log);
  std::fprintf(log, "\t\t\t%s", log_time_text());
  std::fprintf(log, "\t\t\tSocket ID #(%d)\n", socket);
  if (socket > 0) {
    socket_side(log, socket, false);
    socket_side(log, socket, true);
  }
}

}  // namespace

const char *ipc_log_name() {
  std::snprintf(g_log_name, sizeof g_log_name, "ipc%d.log", static_cast<int>(static_cast<short>(getpid())));
  return g_log_name;
}

FILE *ipc_log_stream() {
  if (!g_log) g_log = std::fopen(ipc_log_name(), "a");
  return g_log;
}

void ipc_log_close() {
  if (g_log) std::fclose(g_log);
  g_log = nullptr;
}

int ipc_event_level() { return g_event_level; }
int socket_event_level() { return g_socket_event_level; }

void ipc_set_dump_levels(int level) {
  g_event_level = level;
  g_socket_event_level = level;
}

bool ipc_dumps_on(const ipc_channel *channel) {
  return channel && channel->dump_hook && kThreshold < g_event_level;
}

void ipc_dump_setup(ipc_channel *channel, int level) {
  ipc_set_dump_levels(level);
  if (level < 1) return;
  channel->dump_hook = ipc_dump_event;
  FILE *log = ipc_log_stream();
  if (!log) return;
  socket_header(log, 0);
  std::fputs("Beginning protocol layer debug dumps.\n", log);
  end_entry(log);
  event_header(log, channel->connection_id);
  std::fputs("Beginning debug dumps.\n", log);
  end_entry(log);
}

void ipc_dump_event(int event, const ipc_channel *channel, int value) {
  if (!ipc_dumps_on(channel) || event < 0 || event >= EV_COUNT) return;
  FILE *log = ipc_log_stream();
  if (!log) return;
  event_header(log, event == EV_CALLING_LOCAL ? -1 : channel->connection_id);
  std::fprintf(log, kEvents[event].text, value);
  if (kEvents[event].message_line) std::fprintf(log, "  MESSAGE # (%d)\n", value);
  if (event == EV_CONNECTED) connection_information(log, channel);
  end_entry(log);
}

void ipc_dump_packet(int dump, const ipc_channel *channel, const ipc_buffer *packet) {
  if (!ipc_dumps_on(channel) || dump < DUMP_REQUEST_OUT || dump > DUMP_REPLY_IN) return;
  FILE *log = ipc_log_stream();
  if (!log) return;
  event_header(log, channel->connection_id);
  std::fputs(kPacketTitles[dump], log);
  std::fputs("Packet contents :\n\n", log);
  pack_dump(packet, dump <= DUMP_REQUEST_IN, log);
  end_entry(log);
}

void socket_dump_event(int event, int socket, int value, const char *text, const char *text2) {
  if (!(kThreshold < g_socket_event_level) || event < 0 || event >= SEV_COUNT) return;
  FILE *log = ipc_log_stream();
  if (!log) return;
  socket_header(log, socket);
  if (event == SEV_HOST) {
    std::fprintf(log, kSocketEvents[event], text ? text : "");
  } else if (event == SEV_SERVICE) {
    std::fprintf(log, kSocketEvents[event], text ? text : "", text2 ? text2 : "");
  } else {
    std::fprintf(log, kSocketEvents[event], value);
  }
  end_entry(log);
}

}  // namespace trl
