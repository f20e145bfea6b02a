#pragma once
// Which vector instructions this processor offers the engine's hot loops. Each loop is compiled
// once per width and picks the widest at run time; every width gives the same bits, because each
// lane performs the same IEEE operations in the same order.

namespace kova {

// 512 where the processor has AVX-512F, 256 where it has AVX, else 0 (the baseline instructions).
int widest_vectors();

}  // namespace kova
