/* Configuration lookup of ZUNT32S: settings by name from a per-process answer cache, the
 * profile section "Velmor" (the process environment on this platform) and the NAME=VALUE
 * configuration file (the file named by VLM_CONFIG, else VELMOR.INI in the current
 * directory, /etc/velmor or the program's directory). */
#ifndef ZUNT_CONFIG_H
#define ZUNT_CONFIG_H

#include <stdint.h>

#include "zunt/export.h"
#include "zunt/oserr.h"

/* Record codes of the lookup; on failure oserr is 0 and extra SLTB_EXTRA. */
#define SLTB_NOTFOUND 21000u /* name not in the profile nor the configuration file */
#define SLTB_FAILED 21100u   /* bad argument, cached failure, chain too long, refused */
#define SLTB_TOOLONG 21101u  /* name above 31 bytes, or value longer than the output */
#define SLTB_NOMEM 21102u    /* no memory for the environment variable */
#define SLTB_EXTRA 9999u

#define SLTB_MAXNAME 31u  /* longest name */
#define SLTB_MAXVALUE 255u /* longest value read from the profile or a file line */
#define SLTB_CHAIN 0x1u    /* flag: look the value up again as a name, repeatedly */

ZUNT_BEGIN_DECLS

/* Looks name[0, namelen) up and copies its value (without NUL) to out. Returns the value's
 * length, -1 when the name is known nowhere, -2 on failure (rec says why; a value longer
 * than outsize still fills out with its first outsize bytes). rec may be NULL. */
ZUNT_API int32_t sltbev(sl_oserr* rec, const char* name, uint32_t namelen, char* out,
                        uint32_t outsize, uint32_t flags);

/* Sets the environment variable name=value: 1 on success, 0 on failure (see rec). value
 * may be NULL with valuelen 0, which sets the variable to the empty string. */
ZUNT_API int32_t sltbes(sl_oserr* rec, const char* name, uint32_t namelen, const char* value,
                        uint32_t valuelen);

ZUNT_END_DECLS

#endif
