'use strict';
// What the browser test checks on any page, whatever it runs: that the page
// breaks none of its Content-Security-Policy, and what axe-core (the
// accessibility engine) finds wrong with it.

const fs = require('node:fs');
const path = require('node:path');

const SAID = 'simeq policy violation: ';

// Has every page of `context` count the policy violations it meets, from
// before the page's own scripts run; `onViolation`, if given, is told of
// each ("directive blocked-URI", and the page's address) as it happens.
function watchPolicy(context, onViolation = null) {
  if (onViolation) {
    context.on('console', (message) => {
      const text = message.text();
      if (text.startsWith(SAID)) onViolation(text.slice(SAID.length), message.location().url);
    });
  }
  return context.addInitScript((said) => {
    window.simeqPolicyViolations = [];
    document.addEventListener('securitypolicyviolation', (event) => {
      const violation = `${event.effectiveDirective} ${event.blockedURI}`;
      window.simeqPolicyViolations.push(violation);
      console.warn(said + violation);
    }, true);
  }, SAID);
}

// The policy violations `page` has met so far: "directive blocked-URI" each.
const policyViolations = (page) => page.evaluate(() => window.simeqPolicyViolations);

// The accessibility violations axe-core (from the node_modules folder
// `modules`) finds in `page` as it is now: "rule: element, ..." each.
async function axeViolations(page, modules) {
  if (!(await page.evaluate(() => 'axe' in window))) {
    await page.evaluate(fs.readFileSync(path.join(modules, 'axe-core', 'axe.min.js'), 'utf8'));
  }
  return page.evaluate(async () => {
    const { violations } = await window.axe.run(document, { resultTypes: ['violations'] });
    return violations.map(({ id, nodes }) => `${id}: ${nodes.map(({ target }) => target)}`);
  });
}

module.exports = { watchPolicy, policyViolations, axeViolations };
