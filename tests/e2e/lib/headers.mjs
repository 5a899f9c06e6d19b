// headers.mjs: the headers that every server configuration (the package's for
// Apache, nginx and lighttpd, and the demo site's) gives the program's answers.
import assert from 'node:assert/strict';

// Name (as Node gives it, in lower case) and value, each header sent once:
// Node joins a repeated one into one value, which then differs.
export const protectiveHeaders = {
  'cache-control': 'no-store',
  'x-frame-options': 'DENY',
  'content-security-policy': "frame-ancestors 'none'",
  'referrer-policy': 'no-referrer',
  'x-content-type-options': 'nosniff',
};

// A client that takes compressed answers, as browsers are.
export const acceptsGzip = { 'accept-encoding': 'gzip, deflate' };

// An answer of the program as served: every protective header, and no
// compression whatever the client accepts.
export function assertProtected(answer, what) {
  for (const [name, value] of Object.entries(protectiveHeaders))
    assert.equal(answer.headers[name], value, `${what}: ${name}`);
  assert.equal(answer.headers['content-encoding'], undefined, `${what}: content-encoding`);
}

// The protective headers and the content encoding of an answer as sent, as
// lines "Name: value", for a report.
export function protectiveHeaderLines(answer) {
  const names = new Set([...Object.keys(protectiveHeaders), 'content-encoding']);
  const lines = [];
  for (let i = 0; i < answer.rawHeaders.length; i += 2) {
    if (names.has(answer.rawHeaders[i].toLowerCase())) lines.push(`${answer.rawHeaders[i]}: ${answer.rawHeaders[i + 1]}`);
  }
  return lines;
}
