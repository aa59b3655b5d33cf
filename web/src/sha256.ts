// The SHA-256 of the input text's UTF-8 bytes, in hex, as `kesp` writes it
// into the JSON document. Browsers give crypto.subtle only on secure pages
// (https, localhost, 127.0.0.1); a page opened from a plain-http host or
// from a file uses a small JavaScript implementation instead.

import { sha256 } from "@noble/hashes/sha2.js";
import { bytesToHex } from "@noble/hashes/utils.js";

export async function sha256Hex(text: string): Promise<string> {
  const bytes = new TextEncoder().encode(text);
  if (globalThis.crypto?.subtle) {
    const digest = await globalThis.crypto.subtle.digest("SHA-256", bytes);
    return bytesToHex(new Uint8Array(digest));
  }
  return bytesToHex(sha256(bytes));
}
