// zentrixd started as the pipe child of a client: "zentrixd WPIPE rrrrrrrr/wwwwwwww".
#pragma once

namespace zentrixd {

// True when the arguments are those of a pipe child.
bool is_pipe_child(int argc, char **argv);

// Serves the one client on the inherited pipes (slot 1 of the pipe transport) until it stops. The
// configuration comes from the file that $ZENTRIXD_CONFIG names, if any, since a pipe child gets no
// options. The process's exit status.
int serve_pipe_child(char *handles);

}  // namespace zentrixd
