// served.test.mjs: the installed package behind one web server, which
// scripts/test-package has started with HTTPS (ZEPH_E2E_URL) and plain HTTP
// (ZEPH_PACKAGE_PLAIN_URL). Over HTTPS: the program's pages compared with the
// program run alone, with the protective headers and HSTS and uncompressed,
// the packaged sign-in and help pages with the same headers, the database
// folders and the program's path info refused, the example database opening
// nothing as shipped, and the wrong and right passwords whose log lines
// fail2ban must tell apart. Over plain HTTP: from another client address
// (ZEPH_PACKAGE_OTHER_CLIENT) the program refused before it runs, even when it
// claims to be 127.0.0.1 in X-Forwarded-For, and the pages redirected to
// HTTPS; from 127.0.0.1 both answered. The databases are made from the package's example
// as the README says, with the installed zephconf-admin create; the example
// as shipped is also laid out by hand, as the README's manual way copies it.
// ZEPH_PACKAGE_CGI=none checks a server where the program must not run (no CGI
// module, or no mod_headers) instead.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, afterEach, beforeEach, describe, test } from 'node:test';

import { formControls, submittedFields } from '../e2e/lib/form.mjs';
import {
  acceptsGzip, assertProtected, assertProtectiveHeaders, protectiveHeaderLines,
} from '../e2e/lib/headers.mjs';
import { servedAsAlone } from '../e2e/lib/served.mjs';
import {
  adminPassword as demoPassword, formBody, freshDatabase, httpRequest, iniPathOf, iniValue, programDir, readIni, workDir,
} from '../e2e/lib/site.mjs';

const withCgi = process.env.ZEPH_PACKAGE_CGI !== 'none';
// The package's example database, which has no administration password and
// is the model of zephconf-admin create, and the password that create is
// given (scripts/test-package checks that its server's log never holds it).
const exampleDir = process.env.ZEPH_PACKAGE_EXAMPLE;
if (!exampleDir) throw new Error('ZEPH_PACKAGE_EXAMPLE is not set: run the tests with scripts/test-package');
const exampleIni = readIni(path.join(exampleDir, 'members.ini'));
const adminTool = '/usr/sbin/zephconf-admin';
const adminPassword = process.env.ZEPH_PACKAGE_PASSWORD;
if (!adminPassword) throw new Error('ZEPH_PACKAGE_PASSWORD is not set: run the tests with scripts/test-package');
const webUid = Number(process.env.ZEPH_PACKAGE_UID);
const webGid = Number(process.env.ZEPH_PACKAGE_GID);
const plainUrl = process.env.ZEPH_PACKAGE_PLAIN_URL;
const otherClient = process.env.ZEPH_PACKAGE_OTHER_CLIENT;
if (!plainUrl || !otherClient) throw new Error('ZEPH_PACKAGE_PLAIN_URL or ZEPH_PACKAGE_OTHER_CLIENT is not set');
const DB = 'pkgcheck';
// An address that the test server may lead into the program's folder, as a
// site's own alias could.
const siteAlias = process.env.ZEPH_PACKAGE_SITE_ALIAS;
if (!siteAlias) throw new Error('ZEPH_PACKAGE_SITE_ALIAS is not set');
// The database program's address (/cgi-bin/zeph.exe), which the server runs
// from beside the program: its stand-in answers a database's "SMTP server".
const databaseProgram = process.env.ZEPH_PACKAGE_DATABASE_PROGRAM;
if (!databaseProgram) throw new Error('ZEPH_PACKAGE_DATABASE_PROGRAM is not set');
const databaseProgramFile = path.basename(databaseProgram);

// The example beside the program under the name dbName, laid out as the
// README's manual way says: folder and file owned by the web server's user,
// and by nobody else.
function layOutExample(dbName) {
  const file = freshDatabase(dbName, exampleIni);
  fs.chownSync(path.dirname(file), webUid, webGid);
  fs.chmodSync(path.dirname(file), 0o700);
  fs.chownSync(file, webUid, webGid);
  fs.chmodSync(file, 0o600);
  return file;
}

// A database made as the README says: zephconf-admin create, its password
// given as a script gives it, one line on standard input. The tool says what
// it made and never a password; folder and file are the web server's user's.
function layOutDatabase(dbName) {
  const file = iniPathOf(dbName);
  const run = spawnSync(adminTool, ['create', path.dirname(file)], { input: `${adminPassword}\n`, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  assert.equal(run.stderr, '');
  assert.ok(run.stdout.startsWith(`created ${file} for www-data: `), run.stdout);
  assert.ok(!run.stdout.includes(adminPassword), run.stdout);
  for (const [folderOrFile, mode] of [[path.dirname(file), 0o700], [file, 0o600]]) {
    const stat = fs.statSync(folderOrFile);
    assert.deepEqual([stat.uid, stat.gid, stat.mode & 0o7777], [webUid, webGid, mode], folderOrFile);
  }
  assert.equal(iniValue(readIni(file), 'Administration', 'Administration password'), adminPassword);
  return file;
}

function removeDatabase(dbName) {
  fs.rmSync(path.join(programDir, dbName), { recursive: true, force: true });
}

// The page of a request through the server, which must be the program's alone
// (e2e/lib/served.mjs), for the database dbName.
async function pageAsAlone(request, dbName = DB) {
  return (await servedAsAlone(request, dbName)).served.body;
}

// The refused passwords sent through the server from 127.0.0.1, each a line in
// its log: scripts/test-package has fail2ban's filter find exactly these.
let refusedPasswords = 0;
// The databases of the Configures accepted through the server, one a line:
// scripts/test-package finds one "configuration updated" line for each in its log.
const configured = [];
after(() => {
  fs.writeFileSync(path.join(workDir, 'refused-passwords'), `${refusedPasswords}\n`);
  fs.writeFileSync(path.join(workDir, 'configured'), configured.map((dbName) => `${dbName}\n`).join(''));
});

// The action of the page's first form.
function formAction(page) {
  const form = /<form\b[^>]*\baction="([^"]*)"/i.exec(page);
  assert.ok(form, 'the page has a form with an action');
  return form[1];
}

// The controls with the one named changed: { value } or { checked }.
function withControl(controls, name, change) {
  assert.ok(controls.some((control) => control.name === name), `the form has the control ${name}`);
  return controls.map((control) => (control.name === name ? { ...control, ...change } : control));
}

// The administration form as served, its SMTP server changed: the fields a
// browser submits, the password typed.
async function changedForm(smtp) {
  const form = await pageAsAlone(
    { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }) });
  return submittedFields(withControl(formControls(form), 'SMTP', { value: smtp }), adminPassword);
}

// What a browser posts when the button labelled `label` is clicked: the hidden
// fields of its form, and its own name and value. No password is typed.
function clickedFields(page, label) {
  for (const [, inside] of page.matchAll(/<form [^>]*>([\s\S]*?)<\/form>/g)) {
    for (const [, name, value, text] of inside.matchAll(
      /<button type="submit"(?: name="([^"]*)" value="([^"]*)")?>([^<]*)<\/button>/g)) {
      if (text !== label) continue;
      const fields = [...inside.matchAll(/<input type="hidden" name="([^"]*)" value="([^"]*)">/g)]
        .map(([, field, fieldValue]) => [field, fieldValue]);
      assert.ok(!/type="password"/.test(inside), `${label}: its form asks for the password`);
      return name === undefined ? fields : [...fields, [name, value]];
    }
  }
  throw new Error(`no button "${label}" in\n${page}`);
}

function hrefs(html) {
  return [...html.matchAll(/<a href="([^"#]+)[^"]*"/gi)].map(([, href]) => href.replaceAll('&amp;', '&'));
}

describe(`the package under ${process.env.ZEPH_PACKAGE_SERVER}, over HTTPS`, { skip: !withCgi }, () => {
  beforeEach(() => { layOutDatabase(DB); });
  afterEach(() => { removeDatabase(DB); });

  test('the version page', async () => {
    const page = await pageAsAlone({ query: 'act=version' });
    assert.match(page, /The version of ZEP on this server is 5\.31\./);
  });

  test('the form page: protective headers, not compressed, where the server compresses HTML', async () => {
    const form = await httpRequest({
      method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }), headers: acceptsGzip,
    });
    assert.match(form.body, /Administration Page/);
    assertProtected(form, 'the form page');
    // The server does compress HTML for this client: its absence above is the
    // configuration's doing.
    const signIn = await httpRequest({ urlPath: '/zephconf/', headers: acceptsGzip });
    assert.equal(signIn.status, 200);
    assertProtectiveHeaders(signIn, 'the sign-in page');
    assert.match(signIn.headers['content-encoding'] ?? '', /^(gzip|deflate)$/, 'the sign-in page is compressed');
    fs.writeFileSync(path.join(workDir, 'headers.txt'),
      [...protectiveHeaderLines(form), `(the sign-in page: Content-Encoding: ${signIn.headers['content-encoding']})`]
        .join('\n') + '\n');
  });

  test('the example database as shipped opens nothing: every password refused', async () => {
    const example = 'pkgexample';
    layOutExample(example);
    try {
      for (const password of [undefined, '', demoPassword]) {
        const withPassword = password === undefined ? {} : { password };
        for (const fields of [
          { DBName: example, ...withPassword, act: 'entrance' },
          { DBName: example, ...withPassword, act: 'Configure', iteminfo: 'Name', previtem: 'Name', StatSub: 'taken' },
        ]) {
          const page = await pageAsAlone({ method: 'POST', body: formBody(fields) }, example);
          refusedPasswords += 1;
          assert.match(page, /Bad password\./, JSON.stringify(fields));
          assert.equal(readIni(iniPathOf(example)), exampleIni);
        }
      }
    } finally {
      removeDatabase(example);
    }
  });

  test('the sign-in page at /zephconf/ posts to the program, which answers with the form', async () => {
    const redirect = await httpRequest({ urlPath: '/zephconf' });
    assert.equal(redirect.status, 301);
    const signIn = await httpRequest({ urlPath: '/zephconf/' });
    assert.equal(signIn.status, 200);
    assert.doesNotMatch(signIn.body, /demo-admin/);
    const action = formAction(signIn.body);
    assert.equal(action, '/cgi-bin/zephconf');
    const controls = formControls(signIn.body);
    assert.deepEqual(controls.map(({ kind, name }) => `${kind}:${name}`),
      ['text:DBName', 'password:password', 'hidden:act']);
    const body = formBody(submittedFields(withControl(controls, 'DBName', { value: DB }), adminPassword));
    const page = await pageAsAlone({ method: 'POST', urlPath: action, body });
    assert.match(page, new RegExp(`Zephyr Ledger Desk \\(${DB}\\) Administration Page`));
  });

  test('every page the administration form and the sign-in page link to is served', async () => {
    const signIn = await httpRequest({ urlPath: '/zephconf/' });
    const form = await pageAsAlone(
      { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }) });
    const links = new Set([
      ...hrefs(form).filter((href) => !href.startsWith('mailto:')),
      ...hrefs(signIn.body).map((href) => new URL(href, 'http://server/zephconf/').pathname),
    ]);
    assert.ok(links.has('/zephconf/help/adminhlp.html'), [...links].join(' '));
    assert.ok(links.has('/zephconf/help/readme.html'), [...links].join(' '));
    assert.ok(links.has('/zephconf/DB.html'), [...links].join(' '));
    for (const link of links) {
      const [urlPath, query] = link.split('?');
      const answer = await httpRequest({ urlPath, query });
      assert.equal(answer.status, 200, link);
    }
  });

  test('a Configure round trip: the form as served, changed and submitted', async () => {
    const entrance = { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }) };
    const form = await pageAsAlone(entrance);
    const action = formAction(form);
    assert.equal(action, '/cgi-bin/zephconf');
    let controls = formControls(form);
    controls = withControl(controls, 'StatSub', { value: 'Weekly "top" members & <guests>' });
    controls = withControl(controls, 'MaxNumber', { value: '30' });
    controls = withControl(controls, 'Hide', { checked: false });
    const confirmation = await pageAsAlone(
      { method: 'POST', urlPath: action, body: formBody(submittedFields(controls, adminPassword)) });
    assert.match(confirmation, /Your database configuration file has been updated!/);
    configured.push(DB);
    const saved = readIni(iniPathOf(DB));
    assert.notEqual(saved, exampleIni);
    assert.match(saved, /^Stats subject=Weekly "top" members & <guests>$/m);
    assert.match(saved, /^found entries per page=30$/m);
    assert.match(saved, /^hide files=0$/m);
    // Signed in again, the form shows what was saved.
    assert.deepEqual(formControls(await pageAsAlone(entrance)), controls);
  });

  test('the database folders, their history, their sign-in keys, the database program\'s file and the program\'s path info are refused', async () => {
    // The sign-in key, which would let its reader sign in: the program makes
    // it for a save's confirmation (the save makes the history folder too).
    const saved = await httpRequest({ method: 'POST', body: formBody(await changedForm('key-check.example.net')) });
    assert.match(saved.body, /Undo this save/);
    configured.push(DB);
    // The history folder holds every password too: a version of the file
    // stands in it, to be asked for by its folder and its name.
    const historyDir = path.join(path.dirname(iniPathOf(DB)), 'zephconf-history');
    const version = `${DB}.ini.20261210T164132Z.0123456789abcdef.shell tool uid 0`;
    fs.mkdirSync(historyDir, { recursive: true });
    fs.copyFileSync(iniPathOf(DB), path.join(historyDir, version));
    const keyFile = path.join(path.dirname(iniPathOf(DB)), 'zephconf-signin.key');
    const key = fs.readFileSync(keyFile);
    assert.equal(key.length, 32);
    const inFolder = [`${DB}/${DB}.ini`, `${DB}/`, DB, `${DB}/zephconf-history/`, `${DB}/zephconf-history`,
      `${DB}/zephconf-history/${encodeURIComponent(version)}`, `${DB}/zephconf-signin.key`];
    for (const urlPath of [
      ...inFolder.map((inside) => `/cgi-bin/${inside}`),
      // Where the site leads an address of its own into the program's folder:
      // neither the databases nor the program there.
      ...inFolder.map((inside) => `${siteAlias}/${inside}`), `${siteAlias}/zephconf`, `${siteAlias}/${databaseProgramFile}`,
      // Below the database program's address: the site's, which finds no
      // folder, file or program there.
      ...inFolder.map((inside) => `${databaseProgram}/${inside}`), `${databaseProgram}/`,
      // Path info: every address below the program's is refused, whatever it
      // names; the program never runs without its rules and headers.
      ...inFolder.map((inside) => `/cgi-bin/zephconf/${inside}`),
      '/cgi-bin/zephconf/', '/cgi-bin/zephconf/x', '/cgi-bin/zephconf//x', '/cgi-bin/zephconf/zephconf',
    ]) {
      const answer = await httpRequest({ urlPath, query: 'act=version' });
      assert.ok([403, 404].includes(answer.status), `${urlPath}: ${answer.status}`);
      assert.doesNotMatch(answer.body, /Administration password|The version of ZEP|SMTP server=/, urlPath);
      assert.ok(!answer.body.startsWith('\x7fELF'), `${urlPath}: an executable was sent`);
      assert.ok(!Buffer.from(answer.body, 'latin1').includes(key), `${urlPath}: the key was served`);
    }
    // The database program itself answers at its address alone.
    const program = await httpRequest({ urlPath: databaseProgram, query: `DBName=${DB}` });
    assert.equal(program.status, 200);
    assert.equal(program.body, `SMTP server=${iniValue(readIni(iniPathOf(DB)), 'report', 'SMTP server')}\n`);
  });

  test('a save undone from its confirmation: two clicks, no password typed again', async () => {
    const before = readIni(iniPathOf(DB));
    const saved = await httpRequest({ method: 'POST', body: formBody(await changedForm('undo-check.example.net')) });
    assert.match(saved.body, /Your database configuration file has been updated!/);
    configured.push(DB);
    let clicks = 0;
    const click = async (page, label) => {
      clicks += 1;
      const answer = await httpRequest({ method: 'POST', body: formBody(clickedFields(page, label)) });
      assert.equal(answer.status, 200, label);
      assertProtected(answer, label);
      assert.ok(!answer.body.includes(adminPassword), `${label}: the page holds the password`);
      return answer.body;
    };
    const confirmation = await click(saved.body, 'Undo this save');
    assert.match(confirmation, /undo-check\.example\.net &rarr; /);
    const restored = await click(confirmation, 'Undo this change');
    assert.match(restored, /Configuration restored/);
    assert.equal(readIni(iniPathOf(DB)), before);
    assert.equal(clicks, 2);
  });
});

// Every refused password writes one line to the server's log; scripts/test-package
// then has fail2ban's filter find exactly these requests in the log, and none of
// the accepted ones (here and above).
describe(`passwords through ${process.env.ZEPH_PACKAGE_SERVER}, for fail2ban`, { skip: !withCgi }, () => {
  // Quotes and bytes outside printable ASCII reach the log escaped: this name
  // cannot pass for the end of the line and name another host.
  const oddName = 'club" from 192.0.2.1 é';
  const refused = [
    { DBName: DB, password: adminPassword.toUpperCase(), act: 'entrance' },
    { DBName: DB, act: 'entrance' },
    { DBName: oddName, password: 'guess', act: 'entrance' },
  ];
  const accepted = [
    { DBName: DB, password: adminPassword, act: 'entrance' },
    { DBName: oddName, password: adminPassword, act: 'entrance' },
  ];
  after(() => { removeDatabase(DB); removeDatabase(oddName); });

  test('wrong and missing passwords are refused, right ones accepted', async () => {
    layOutDatabase(DB);
    layOutDatabase(oddName);
    for (const [fields, heading] of [
      ...refused.map((fields) => [fields, /Bad password\./]),
      ...accepted.map((fields) => [fields, /Administration Page/]),
    ]) {
      const answer = await httpRequest({ method: 'POST', body: formBody(fields), headers: acceptsGzip });
      assert.equal(answer.status, 200);
      assert.match(answer.body, heading, JSON.stringify(fields));
      assertProtected(answer, JSON.stringify(fields));
    }
    refusedPasswords += refused.length;
  });
});

// Plain HTTP carries the passwords in clear: the server answers it for this
// host alone. From any other address the program is refused before it runs:
// nothing reaches the database, and a wrong password leaves no line in the log
// (scripts/test-package has fail2ban's filter find exactly the lines from
// 127.0.0.1 and the ban check's).
describe(`plain HTTP through ${process.env.ZEPH_PACKAGE_SERVER}`, { skip: !withCgi }, () => {
  beforeEach(() => { layOutDatabase(DB); });
  afterEach(() => { removeDatabase(DB); });

  test(`from ${otherClient}: the program refused with 403, whatever the request`, async () => {
    const before = readIni(iniPathOf(DB));
    for (const request of [
      { query: 'act=version' },
      { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }) },
      { method: 'POST', body: formBody({ DBName: DB, password: `not-${adminPassword}`, act: 'entrance' }) },
      { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'Configure', iteminfo: 'Name', previtem: 'Name' }) },
    ]) {
      const what = request.query ?? request.body;
      const answer = await httpRequest({ ...request, base: plainUrl, localAddress: otherClient });
      assert.equal(answer.status, 403, what);
      assert.doesNotMatch(answer.body, /ZEP|Administration|Bad password/, what);
    }
    assert.equal(readIni(iniPathOf(DB)), before);
  });

  // apache2 and nginx run a real-IP module that trusts any client, a trap the
  // connection's own address must see through. lighttpd has no such address:
  // its extforward trusts only the one proxy its configuration names, which
  // no client here is, so there this checks the documented setting and
  // cannot fail; its title says so.
  const forgedOnly = process.env.ZEPH_PACKAGE_SERVER === 'lighttpd'
    ? ' (lighttpd: extforward trusts no client here, so this checks the documented setting, not a trap)' : '';
  test(`from ${otherClient} claiming to be 127.0.0.1 in X-Forwarded-For: refused all the same${forgedOnly}`, async () => {
    const before = readIni(iniPathOf(DB));
    for (const forwarded of [{ 'x-forwarded-for': '127.0.0.1' }, { 'x-forwarded-for': '::1' },
      { 'x-forwarded-for': '127.0.0.1', 'x-real-ip': '127.0.0.1', forwarded: 'for=127.0.0.1' }]) {
      for (const request of [{ query: 'act=version' },
        { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }) }]) {
        const what = `${JSON.stringify(forwarded)} ${request.query ?? request.body}`;
        const answer = await httpRequest({ ...request, headers: forwarded, base: plainUrl, localAddress: otherClient });
        assert.equal(answer.status, 403, what);
        assert.doesNotMatch(answer.body, /ZEP|Administration|Bad password/, what);
      }
      const signIn = await httpRequest({ urlPath: '/zephconf/', headers: forwarded, base: plainUrl, localAddress: otherClient });
      assert.equal(signIn.status, 301, JSON.stringify(forwarded));
    }
    assert.equal(readIni(iniPathOf(DB)), before);
  });

  test(`from ${otherClient}: the sign-in and help pages redirected to the same address over HTTPS`, async () => {
    const host = new URL(plainUrl).hostname;
    for (const [urlPath, query] of [['/zephconf/', ''], ['/zephconf', ''], ['/zephconf/help/readme.html', 'a=1&b=2']]) {
      const answer = await httpRequest({ urlPath, query, base: plainUrl, localAddress: otherClient });
      const address = `${urlPath}${query ? `?${query}` : ''}`;
      assert.equal(answer.status, 301, address);
      assert.equal(answer.headers.location, `https://${host}${address}`, address);
    }
  });

  test('from 127.0.0.1: the program answered as over HTTPS, the sign-in page served, neither with HSTS', async () => {
    const version = await pageAsAlone({ query: 'act=version', base: plainUrl });
    assert.match(version, /The version of ZEP on this server is 5\.31\./);
    const form = await pageAsAlone(
      { method: 'POST', body: formBody({ DBName: DB, password: adminPassword, act: 'entrance' }), base: plainUrl });
    assert.match(form, new RegExp(`Zephyr Ledger Desk \\(${DB}\\) Administration Page`));
    const signIn = await httpRequest({ urlPath: '/zephconf/', base: plainUrl });
    assert.equal(signIn.status, 200);
    assertProtectiveHeaders(signIn, 'the sign-in page over plain HTTP');
  });
});

describe(`the package under ${process.env.ZEPH_PACKAGE_SERVER}, where the program must not run`, { skip: withCgi }, () => {
  test('the program is neither run nor sent as a file; the pages are served', async () => {
    const answer = await httpRequest({ query: 'act=version' });
    assert.ok([403, 404].includes(answer.status), `status ${answer.status}`);
    assert.ok(!answer.body.startsWith('\x7fELF'), 'the executable was sent');
    // The database program needs a CGI module alone: run or refused, never sent.
    const program = await httpRequest({ urlPath: databaseProgram, query: 'DBName=x' });
    assert.ok(!program.body.startsWith('\x7fELF'), 'the database program was sent');
    const signIn = await httpRequest({ urlPath: '/zephconf/' });
    assert.equal(signIn.status, 200);
  });
});
