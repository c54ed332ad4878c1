#pragma once

#include <string>

namespace korvel::sim {

// A pseudo-terminal whose slave side stands in for the board's serial port. The simulator keeps
// the slave open itself, so the line survives the host closing and reopening its port.
class Pty {
  public:
    Pty() = default;
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    ~Pty();

    // Creates the pseudo-terminal and links its slave side at `link`; false with the reason.
    bool Create(const std::string& link, std::string& error);
    int master() const { return master_; }
    // The rate, in baud, that the program on the slave side set for its line (a pseudo-terminal
    // keeps the setting without using it); 0 for a rate this table does not know.
    int SlaveBaud() const;

    // Readable when a host has closed the line: call TakeLineEvents then.
    int watch() const { return watch_; }
    // Once no host has the line open any more, clears an exclusive claim (TIOCEXCL) still on it.
    // A host killed before it could give its claim back leaves it behind: the flag belongs to the
    // line, which the simulator keeps open, and would refuse every later host.
    void TakeLineEvents();

  private:
    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    std::string slaveName_;
    std::string link_;
};

}  // namespace korvel::sim
