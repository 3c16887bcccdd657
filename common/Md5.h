#pragma once
// MD5 (RFC 1321) as four routines over a context record, thin functions over the installed
// MD5 library. The record is opaque here so that users need not see that library's header.
#include <cstdint>

struct md5_ctxt {
  alignas(8) unsigned char opaque[112];
};

void md5_init(md5_ctxt* context);
void md5_loop(md5_ctxt* context, const uint8_t* input, unsigned int length);
// Appends the padding and the length; md5_result then only reads the digest out.
void md5_pad(md5_ctxt* context);
// Writes the 16-byte digest, padding first when md5_pad was not called.
void md5_result(uint8_t* digest, md5_ctxt* context);
