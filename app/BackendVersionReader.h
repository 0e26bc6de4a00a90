#pragma once

#include "BackendVersions.h"

class IOManager;

// Fills the back-end version record from the Controller. Each query is made
// only when the versions read before it say the Controller knows it.
class BackendVersionReader
{
public:
    static BackendVersions read(IOManager &channel);
};
