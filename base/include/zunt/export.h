/* Export marker of the zunt runtime libraries: every exported function and data object of
 * ZUNT32S is declared with ZUNT_API. The libraries are built with hidden visibility, so only
 * marked names (and of those only the ones in the library's export list) are visible. */
#ifndef ZUNT_EXPORT_H
#define ZUNT_EXPORT_H

#if defined(__GNUC__)
#define ZUNT_API __attribute__((visibility("default")))
#else
#define ZUNT_API
#endif

#ifdef __cplusplus
#define ZUNT_BEGIN_DECLS extern "C" {
#define ZUNT_END_DECLS }
#else
#define ZUNT_BEGIN_DECLS
#define ZUNT_END_DECLS
#endif

#endif
