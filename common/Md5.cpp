// The MD5 library's header clashes with other libraries' md5.h: keep it to this file.
#include "common/Md5.h"

#include <md5.h>

#include <cstring>
#include <new>

namespace {

struct Context {
  MD5_CTX md5;
  bool padded;
};
static_assert(sizeof(Context) <= sizeof(md5_ctxt::opaque) && alignof(Context) <= 8);

Context* Of(md5_ctxt* context) { return std::launder(reinterpret_cast<Context*>(context->opaque)); }

}  // namespace

void md5_init(md5_ctxt* context) {
  Context* c = new (context->opaque) Context();
  MD5Init(&c->md5);
  c->padded = false;
}

void md5_loop(md5_ctxt* context, const uint8_t* input, unsigned int length) {
  MD5Update(&Of(context)->md5, input, length);
}

void md5_pad(md5_ctxt* context) {
  Context* c = Of(context);
  if (c->padded) return;
  MD5Pad(&c->md5);
  c->padded = true;
}

void md5_result(uint8_t* digest, md5_ctxt* context) {
  Context* c = Of(context);
  if (!c->padded) {
    MD5Final(digest, &c->md5);
    return;
  }
  for (int i = 0; i < 4; ++i)
    for (int b = 0; b < 4; ++b) digest[i * 4 + b] = static_cast<uint8_t>(c->md5.state[i] >> (8 * b));
  std::memset(&c->md5, 0, sizeof(c->md5));
}
