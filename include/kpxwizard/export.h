/* What libkpxwizard exports: the library is built with hidden visibility, and KPX_API marks
 * the public C++ classes and functions and the C automation interface. C and C++. */
#ifndef KPXWIZARD_EXPORT_H
#define KPXWIZARD_EXPORT_H

#define KPX_API __attribute__((visibility("default")))

#endif
