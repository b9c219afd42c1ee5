/* What libkpxwizard exports: the library is built with hidden visibility, and KPX_API marks
 * the public C++ classes and functions and the C automation interface. C and C++. */
#ifndef KPXWIZARD_EXPORT_H
#define KPXWIZARD_EXPORT_H

#define KPX_API __attribute__((visibility("default")))
/* The internal routines the window library (libkpxwizard-ui) calls across the shared-library
 * boundary: exported so that one core serves the host and its windows, but declared only in
 * the source tree's headers, not in the public ones. */
#define KPX_WINDOWS_API KPX_API

#endif
