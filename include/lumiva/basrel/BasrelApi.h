// Visibility of the host runtime library's exported names.
#pragma once

#define BASREL_API __attribute__((visibility("default")))
