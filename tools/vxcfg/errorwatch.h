// The errors the library reports while a command runs, kept for the command's summary and
// passed on to the usual printer.
#ifndef VXCFG_ERRORWATCH_H
#define VXCFG_ERRORWATCH_H

#include <string>
#include <vector>

class ErrorWatch {
public:
    ErrorWatch();
    ~ErrorWatch();
    ErrorWatch(const ErrorWatch&) = delete;
    ErrorWatch& operator=(const ErrorWatch&) = delete;
    // How many errors were reported since the watch began.
    size_t Count() const;
    // Whether the library reported message id (with name) since the watch began.
    bool Reported(unsigned int id, const char* name) const;
};

#endif
